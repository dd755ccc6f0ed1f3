// Where things are on a laid-out line: the part under a point, the character under the mouse,
// and the selection arithmetic of the mouse handlers. Qt-free so that the tests drive it.
#pragma once

#include "formula/MathLine.h"

namespace zelm {

/// Index of the part under `pt` (1-based), or 0 when no part is there. A point on a root sign
/// goes to a part of the root's index when one holds it.
int PartUnderPoint(const MathLine& line, Point pt);

/// The display position under `pt`, or -1. With `nearest` the character boundary nearest to
/// the point, otherwise the one left of it.
int HitTest(MathLine& line, Point pt, bool nearest);

/// Mouse button down on (x, y) with the left button: caret in front of the character there,
/// the end of the line when there is none; the selection collapses onto it.
void ClickAt(MathLine& line, Point pt);

/// Dragging to `pt`: the selection grows without an anchor. True when it changed (repaint).
bool DragTo(MathLine& line, Point pt);

/// Double click: selects the part at the caret; in the first part the whole line, keeping its
/// content. Runs the Text setter. False when no part lies at the caret.
bool SelectPartAtCaret(MathLine& line);

/// Select all: the whole Text and one position past its end.
void SelectAllPositions(MathLine& line);

/// The three segments of the I-beam pointer marker over part `partIndex` at x.
std::array<Point, 6> IBeamMarker(const TTextdeel& part, int x);

} // namespace zelm
