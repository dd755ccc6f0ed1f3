// Putting read structures into a line: the selection goes and the structures come in at the
// caret the way typing puts characters in, the code string in step, then one run of the setter.
#include "exchange/PasteFormula.h"

#include <algorithm>

#include "formula/FormulaText.h"

namespace zelm {

bool InsertStructures(MathLine& line, const MathNode& row) {
    const LineBytes add = LineFromTree(row);
    Bytes text = line.Text(), codes = line.Codes();
    int from = line.Selstart, to = line.Seleinde;
    if (from > to) std::swap(from, to);
    // As before a typed character: a line holding only the placeholder "0" is emptied to its
    // blank, and a caret in front of the blank goes behind it.
    if (text.empty() || IsPlaceholder(text)) {
        text.assign(1, ' ');
        codes.clear();
        from = to = 1;
    }
    if (line.CaretPos == 0) from = std::min(std::max(from, 1), std::max(to, 1));
    from = std::clamp(from, 0, int(text.size()));
    to = std::clamp(to, from, int(text.size()));
    if (text.size() - std::size_t(to - from) + add.text.size() > LongestStoredLine) return false;
    DeleteRange(text, codes, from, to);
    InsertWithParameters(text, codes, from + 1, add.text, add.codes);
    line.Selstart = line.Seleinde = line.CaretPos = from + int(add.text.size());
    line.SetCodes(codes);
    line.SetText(text);
    return true;
}

} // namespace zelm
