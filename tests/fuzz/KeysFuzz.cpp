// Random key events and mouse calls through the Qt-free handlers of one line, in both modes,
// without starting over: hundreds of keys in one input reach deep nesting.
#include "FuzzSupport.h"
#include "formula/LineGeometry.h"
#include "formula/LineKeys.h"

using namespace zelm;

namespace {

// The virtual keys the handlers tell apart, and a few they pass on.
constexpr int Keys[] = {VK::Back,  VK::Return, VK::Home,   VK::End,    VK::Left,  VK::Up,
                        VK::Right, VK::Down,   VK::Insert, VK::Delete, VK::Minus, '0',
                        '2',       '5',        '9',        'A',        'D',       'E',
                        'I',       'K',        'N',        'P',        'S',       'X',
                        187,       190,        191,        220,        222,       115};

// Characters worth typing: letters of names, digits, the structure characters.
constexpr char Chars[] = "sincolgtaexpd0123456789 ./|()+-=\"^_*";

enum class Step { Key, Char, KeyAndChar, Click, Drag, DoubleClick, SelectAll, Mode, Raw, Count };

ShiftState Shift(fuzz::Reader& in) {
    const int bits = in.Byte();
    ShiftState s;
    s.shift = bits & 1;
    s.ctrl = bits & 2;
    s.alt = (bits & 12) == 12; // rarer: Alt keys mostly pass on
    return s;
}

Point Somewhere(MathLine& line, fuzz::Reader& in) {
    const int w = std::max(1, line.ClientWidth + 20), h = std::max(1, line.ClientHeight + 20);
    return {in.Below(w) - 10, in.Below(h) - 10};
}

void Apply(MathLine& line, fuzz::Reader& in) {
    switch (static_cast<Step>(in.Below(int(Step::Count)))) {
    case Step::Key: {
        int key = Keys[in.Below(int(std::size(Keys)))];
        KeyDown(line, key, Shift(in));
        break;
    }
    case Step::Char: {
        auto c = static_cast<unsigned char>(in.Below(8) == 0 ? in.Byte()
                                                             : Chars[in.Below(sizeof Chars - 1)]);
        KeyPress(line, c);
        break;
    }
    case Step::KeyAndChar: { // a letter key as the platform sends it: down, then its character
        const char c = Chars[in.Below(sizeof Chars - 1)];
        int key = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
        ShiftState none;
        KeyDown(line, key, none);
        auto ch = static_cast<unsigned char>(c);
        KeyPress(line, ch);
        break;
    }
    case Step::Click:
        ClickAt(line, Somewhere(line, in));
        break;
    case Step::Drag:
        DragTo(line, Somewhere(line, in));
        break;
    case Step::DoubleClick:
        ClickAt(line, Somewhere(line, in));
        SelectPartAtCaret(line);
        break;
    case Step::SelectAll:
        SelectAllPositions(line);
        break;
    case Step::Mode:
        line.SetPlainText(!line.PlainText());
        break;
    case Step::Raw:
        EditorState().rawSymbolArmed = !EditorState().rawSymbolArmed;
        break;
    case Step::Count:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Globals().Reset();
    EditorState().Reset();
    test::FixedCanvas canvas;
    MathLine line(canvas, 300);
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.EnterFocus();
    fuzz::Reader in(data, size);
    for (int step = 0; step < 1000 && !in.Empty(); ++step) {
        try {
            Apply(line, in);
        } catch (const ZelmError&) {
            // Every text that keys make is repaired within the setter's retries.
            fuzz::Fail("keys raised Foutje", line);
        }
        fuzz::CheckLine(line);
        if (line.Text().size() > LongestStoredLine) fuzz::Fail("longer than its record", line);
        if (step % 8 != 0) continue;
        fuzz::Paint(line);
        fuzz::CheckReloadsEqual(line);
    }
    fuzz::Paint(line);
    return 0;
}
