// Putting read structures into a line at its caret, as typing would.
#pragma once

#include <cstddef>

#include "formula/MathLine.h"
#include "formula/MathTree.h"

namespace zelm {

/// The longest Text a document stores for a line (the text field of its record); a paste
/// never makes a line longer.
constexpr std::size_t LongestStoredLine = 255;

/// Replaces the selection of `line` by the structures of `row` (a Row) and puts the caret
/// behind them; the code string stays in step and the setter runs once. False, with the line
/// unchanged, when the result would be longer than a line may be.
bool InsertStructures(MathLine& line, const MathNode& row);

} // namespace zelm
