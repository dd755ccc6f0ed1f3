// Putting read structures into a line at its caret, as typing would.
#pragma once

#include <cstddef>

#include "exchange/MathTree.h"
#include "formula/MathLine.h"

namespace zelm {

/// Replaces the selection of `line` by the structures of `row` (a Row) and puts the caret
/// behind them; the code string stays in step and the setter runs once. False, with the line
/// unchanged, when the result would be longer than a line may be.
bool InsertStructures(MathLine& line, const MathNode& row);

} // namespace zelm
