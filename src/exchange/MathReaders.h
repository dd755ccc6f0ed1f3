// Readers into the structure model: LaTeX and MathML, pasted from other programs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exchange/MathTree.h"

namespace zelm {

/// What a reader made of its input.
struct ReadResult {
    MathNode row;       ///< the structures read, as one Row
    bool lossy = false; ///< something the line cannot hold came in as its plain text
    /// What came in otherwise than it stood, each named for the user in Dutch, in the order
    /// met and each once (for example "\\lim als tekst"); empty when everything came in exactly.
    std::vector<std::string> changes;
    /// The formula is text alone with letters in it, read as a text line holds it: in a
    /// formula line those letters become the formula's letters.
    bool onlyText = false;
};

/// Notes a change: marks the result lossy and names the change once.
inline void NoteChange(ReadResult& result, std::string change) {
    result.lossy = true;
    for (const std::string& known : result.changes)
        if (known == change) return;
    result.changes.push_back(std::move(change));
}

/// The read as a paste into a line makes it: a text alone changes into formula letters unless
/// the line is a plain-text line.
inline ReadResult ChangesInto(ReadResult read, bool plainTextLine) {
    if (read.onlyText && !plainTextLine) NoteChange(read, "tekst als formuleletters");
    return read;
}

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
