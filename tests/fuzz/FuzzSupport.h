// What the fuzz targets share: a reader that turns the fuzzer's bytes into choices, and the
// checks every step must pass. A failed check aborts, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/DocumentCodec.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "formula/MathLine.h"
#include "formula/Painter.h"
#include "support/FixedCanvas.h"

namespace zelm::fuzz {

/// Takes choices from the front of the fuzzer's input; an exhausted input gives zeros.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    /// A number from 0 to n - 1.
    int Below(int n) { return n <= 1 ? 0 : int((unsigned(Byte()) << 8 | Byte()) % unsigned(n)); }
    /// Up to `most` bytes, their count taken first.
    Bytes Chunk(int most) {
        Bytes out(std::size_t(Below(most + 1)), '\0');
        for (char& c : out)
            c = char(Byte());
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

[[noreturn]] inline void Fail(const char* what, const MathLine& line) {
    std::fprintf(stderr, "check failed: %s (text %zu bytes, %zu code bytes)\n", what,
                 line.Text().size(), line.Codes().size());
    std::abort();
}

/// The invariants of a line after any step: the code string holds one parameter per code
/// character, and the text is never empty.
inline void CheckLine(const MathLine& line) {
    if (CountCodeChars(line.Text()) != int(line.Codes().size()))
        Fail("code string length differs from the number of code characters", line);
    if (line.Text().empty()) Fail("empty text", line);
}

/// Paints the line's last layout on a fresh recording canvas.
inline void Paint(MathLine& line) {
    test::FixedCanvas canvas(line.BaseFont());
    PaintLine(canvas, PaintInputOf(line, {0, 0, line.ClientWidth, line.ClientHeight}));
}

/// Loads a record into `line` the way the main window does (code string, then text, then the
/// font); false when its repairs gave up ("Foutje").
inline bool LoadRecord(MathLine& line, const TLineRecord& record) {
    // As the window loads: a line whose repairs give up still takes its font.
    bool clean = true;
    const auto step = [&](const auto& action) {
        try {
            action();
        } catch (const ZelmError&) {
            clean = false;
        }
    };
    line.SetPlainText(record.plainText);
    line.SetCodes(record.codes);
    step([&] { line.SetText(record.text); });
    TFontRecord stored = record.font;
    stored.size = std::clamp(stored.size, -1638, 1638);
    step([&] { line.SetFont(RecordToFont(stored).font, true); });
    return clean;
}

/// Saving a clean line and loading the record into a fresh line gives back its text and code
/// string (a line of more than 255 characters is cut on saving, so it is left out).
inline void CheckReloadsEqual(MathLine& line) {
    if (line.Text().size() > 255) return;
    const SavedLine saved = LineToRecord(line.PlainText(), FontToRecord(line.BaseFont(), 0),
                                         line.Text(), line.Codes(), 0, 300);
    const TLineRecord back = DecodeLine(EncodeLine(saved.record));
    if (!(back == saved.record)) Fail("a record does not decode to what was encoded", line);
    if (!CanBeLine(back)) Fail("a saved line is taken for a damaged record", line);
    const int budget = Globals().retryBudget;
    Globals().retryBudget = 4;
    test::FixedCanvas canvas;
    MathLine fresh(canvas, 300);
    fresh.TakeFocusSnapshot();
    fresh.Selstart = fresh.Seleinde = fresh.CaretPos = 1;
    const bool loaded = LoadRecord(fresh, back);
    Globals().retryBudget = budget;
    if (!loaded) Fail("a saved line raises Foutje when it is loaded again", line);
    if (fresh.Text() != line.Text()) Fail("a saved line reloads with another text", line);
    if (fresh.Codes() != line.Codes()) Fail("a saved line reloads with another code string", line);
}

} // namespace zelm::fuzz
