// Pasting read formulas into a line, the step the LaTeX and MathML targets share. The input
// is a few pieces separated by byte 0; in each piece the first two bytes place the selection
// and the rest is the formula. After every paste the line's code string must be in step and
// the line must paint, and save and reload unchanged.
#pragma once

#include <optional>
#include <string_view>

#include "FuzzSupport.h"
#include "exchange/MathReaders.h"
#include "exchange/PasteFormula.h"

namespace zelm::fuzz {

// A paste never makes a line longer than a document stores it.
static_assert(LongestStoredLine == ShortStringMax);

using FormulaReader = std::optional<ReadResult> (*)(std::string_view);

inline void PasteEachPiece(const std::uint8_t* data, std::size_t size, FormulaReader read) {
    Globals().Reset();
    EditorState().Reset();
    test::FixedCanvas canvas;
    MathLine line(canvas, 300);
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.SetText(" ");
    line.TakeFocusSnapshot();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    bool clean = true; // the line laid out without giving up on its repairs
    for (int step = 0; step < 8 && start < input.size(); ++step) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) end = input.size();
        std::string_view piece = input.substr(start, end - start);
        start = end + 1;
        const int length = int(line.Text().size());
        const auto choice = [&piece](int n) {
            const int v = piece.empty() ? 0 : static_cast<unsigned char>(piece[0]);
            if (!piece.empty()) piece.remove_prefix(1);
            return v % n;
        };
        line.Selstart = choice(length + 1);
        line.Seleinde = line.Selstart + choice(length - line.Selstart + 1);
        line.CaretPos = line.Seleinde;
        const std::optional<ReadResult> formula = read(piece);
        if (!formula) continue;
        const LineBytes pasted = LineFromTree(formula->row);
        if (CountCodeChars(pasted.text) != int(pasted.codes.size()))
            Fail("a read formula's code string is out of step", line);
        // Replacing a selection that cuts structures may need more repairs than the setter
        // allows, as typing over it does; put in at the caret of a clean line, read
        // structures never do.
        const bool insertOnly = line.Selstart == line.Seleinde && clean;
        try {
            InsertStructures(line, formula->row);
            clean = true;
        } catch (const ZelmError&) {
            if (insertOnly) Fail("a formula put in at the caret raised Foutje", line);
            clean = false;
        }
        CheckLine(line);
        Paint(line);
        CheckReloadsEqual(line);
    }
}

} // namespace zelm::fuzz
