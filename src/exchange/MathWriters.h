// Writers of the structure model: LaTeX, presentation MathML, UnicodeMath linear format and
// plain text. All output is UTF-8; Windows-1252 and "Symbol" characters become their Unicode
// characters.
#pragma once

#include <string>
#include <vector>

#include "exchange/MathTree.h"

namespace zelm {

/// LaTeX math (amsmath) without delimiters; a plain-text line as `\text{...}`.
std::string ToLatex(const MathTree& tree);

/// A `<math>` element of MathML Core presentation elements (no XML declaration).
std::string ToMathML(const MathTree& tree);

/// The same element shown as a display (`display="block"`).
std::string ToMathMLBlock(const MathTree& tree);

/// What ToMathML puts inside the `<math>` element (a table cell of several lines).
std::string ToMathMLContent(const MathTree& tree);

/// An Office Math `<m:oMath>` element (the equations of Word documents; the `m` prefix is the
/// caller's to declare, and `w` for the colour of coloured runs).
std::string ToOmml(const MathTree& tree);

/// A UTF-8 text with its map back to the line: `caretAt[i]` is the caret position (Text
/// characters in front of it) at code point offset i, for i = 0 ... number of code points.
struct LinearText {
    std::string utf8;
    std::vector<int> caretAt;
};

/// UnicodeMath linear format (for chats, e-mail and the screen reader's text).
LinearText ToUnicodeMath(const MathTree& tree);

/// The line's text as a plain-text line shows it, in UTF-8.
std::string ToPlainText(const MathTree& tree);

} // namespace zelm
