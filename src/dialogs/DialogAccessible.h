// The dialogs' own widgets on the accessibility bus: the function list's grid as a table whose
// cells speak their entries, and the help pages' pictures as graphics with a text alternative.
#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace zelm {

class TRooster;

/// The accessible interface of `object` when it is the function list's grid or a help
/// picture, else nullptr.
QAccessibleInterface* DialogAccessibleFor(QObject* object);

/// What cell (col, row) of `grid` says to a screen reader: a heading in the header row, the
/// Dutch speech of a name or formula, a key combination in words.
QString SpokenCell(const TRooster& grid, int col, int row);

/// After the grid's current cell moved: the screen reader hears of the new one.
void ReportCurrentCell(TRooster& grid);

} // namespace zelm
