// Formulas drawn outside a line editor: the export painter (picture export and printing draw
// a line's part list on any canvas) and the cell renderer of the function-list grid (lays a
// formula string out itself and paints it in black). Neither knows a selection, a caret or the
// pointer marker, and neither clears a background.
#pragma once

#include "formula/Canvas.h"
#include "formula/Parts.h"

namespace zelm {

/// The platform's text-alignment flags, as the grid passes them to DrawFormulaCell.
namespace TextAlign {
constexpr int Left = 0;
constexpr int Top = 0;
constexpr int Right = 2;
constexpr int Center = 6;
constexpr int Bottom = 8;
constexpr int Baseline = 24;
} // namespace TextAlign

/// Draws parts 1 to `count` of `parts` with the line's coordinate origin at `origin`, starting
/// from the canvas's own font; text is in `textColor` (plus 200 for coloured text), on a
/// transparent background.
void DrawLineParts(Canvas& canvas, Point origin, const TTextdelen& parts, int count,
                   const Bytes& cursief, ColorRef textColor);

/// The cell painter: DrawLineParts in black (RGB 200, 0, 0 for coloured text) whatever the
/// canvas's text colour.
void DrawCellParts(Canvas& canvas, Point origin, const TTextdelen& parts, int count,
                   const Bytes& cursief);

/// Lays `formula` (text, byte 0, code string, optionally byte 0) out with the cell layout on
/// the canvas's font and paints it. With baseline (or top) alignment `origin` is the line's
/// origin; right and centre alignment put the line's right end or middle at origin x, bottom
/// alignment its bottom at origin y. Returns the laid-out width and height.
Size DrawFormulaCell(Canvas& canvas, int alignFlags, Point origin, const Bytes& formula);

} // namespace zelm
