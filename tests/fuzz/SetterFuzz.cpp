// Setter operations on one line: texts and code strings of any bytes with the caret and the
// selection anywhere in them, TextPlusCode, the mode and the font. The line lives on from one
// operation to the next, as in the program, so a "Foutje" leaves its state to the next step.
#include "FuzzSupport.h"

using namespace zelm;

namespace {

enum class Op { SetText, SetTextPlusCode, Retype, ToggleMode, Font, Snapshot, Count };

void PlacePositions(MathLine& line, fuzz::Reader& in, int length) {
    line.Selstart = in.Below(length + 1);
    line.Seleinde = line.Selstart + in.Below(length - line.Selstart + 1);
    line.CaretPos = in.Below(2) ? line.Selstart : line.Seleinde;
}

// Runs one operation; a "Foutje" ends it as it ends a command in the program.
void Apply(MathLine& line, fuzz::Reader& in) {
    try {
        switch (static_cast<Op>(in.Below(int(Op::Count)))) {
        case Op::SetText: {
            const Bytes text = in.Chunk(300);
            line.SetCodes(in.Chunk(40));
            PlacePositions(line, in, int(text.size()));
            line.SetText(text);
            break;
        }
        case Op::SetTextPlusCode: {
            const Bytes value = in.Chunk(300);
            PlacePositions(line, in, int(value.size()));
            line.SetTextPlusCode(value);
            break;
        }
        case Op::Retype: // the same text again, the caret elsewhere
            PlacePositions(line, in, int(line.Text().size()));
            line.SetText(line.Text());
            break;
        case Op::ToggleMode:
            line.SetPlainText(!line.PlainText());
            break;
        case Op::Font: {
            FontDesc f = line.BaseFont();
            f.height = in.Below(2 * 200 + 1) - 200;
            f.weight = in.Below(2) ? 700 : 400;
            f.italic = in.Below(2);
            f.face = in.Below(2) ? "Tahoma" : "Arial";
            line.SetFont(f, true);
            break;
        }
        case Op::Snapshot:
            line.TakeFocusSnapshot();
            break;
        case Op::Count:
            break;
        }
    } catch (const ZelmError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Globals().Reset();
    EditorState().Reset();
    test::FixedCanvas canvas;
    MathLine line(canvas, 300);
    line.TakeFocusSnapshot();
    fuzz::Reader in(data, size);
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        Apply(line, in);
        // Also after a "Foutje": the line holds its text all the same and may be saved.
        fuzz::CheckLine(line);
        fuzz::Paint(line);
        fuzz::CheckReloadsEqual(line);
    }
    return 0;
}
