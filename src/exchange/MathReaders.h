// Readers into the structure model: LaTeX and MathML, pasted from other programs.
#pragma once

#include <optional>
#include <string_view>

#include "exchange/MathTree.h"

namespace zelm {

/// What a reader made of its input.
struct ReadResult {
    MathNode row;       ///< the structures read, as one Row
    bool lossy = false; ///< something the line cannot hold came in as its plain text
};

/// Longest input and deepest nesting a reader accepts; longer or deeper input is refused.
constexpr std::size_t LongestPastedFormula = 64 * 1024;
constexpr int DeepestPastedNesting = 32;

/// LaTeX math, with or without `$...$`, `$$...$$`, `\(...\)`, `\[...\]`. Nothing for input that
/// is too long or too deeply nested.
std::optional<ReadResult> ReadLatex(std::string_view latex);

/// A MathML `<math>` element (with or without an XML declaration). Nothing for input that is
/// not MathML, too long or too deeply nested.
std::optional<ReadResult> ReadMathML(std::string_view mathml);

} // namespace zelm
