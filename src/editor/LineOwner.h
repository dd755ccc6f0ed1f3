// What a line asks of the window that holds it. Each call is one of the line's events; a line
// without an owner (the settings dialog's preview, a function list's cells) reports to no one.
#pragma once

#include "formula/Keys.h"

namespace zelm {

class TMathEditor;

class LineOwner {
public:
    /// OnHeightChange: the line is about to take `newHeight`.
    virtual void HeightChanged(TMathEditor& line, int newHeight) = 0;
    /// OnWidthChange: the line needs `newWidth`, more than it had.
    virtual void WidthChanged(TMathEditor& line, int newWidth) = 0;
    /// OnUpDownKeys: an arrow key (virtual-key code 37 to 40) leaves the line.
    virtual void UpDown(TMathEditor& line, unsigned short direction) = 0;
    /// Onenter: the line took the focus.
    virtual void Entered(TMathEditor& line) = 0;
    /// Onexit: the line lost the focus.
    virtual void Exited(TMathEditor& line) = 0;
    /// OnCaretMove: the caret was placed anew (typing, keys, a click).
    virtual void CaretMoved(TMathEditor& line) = 0;
    /// OnGewijzigd: the line's text went through its setter (typing, paste, a load).
    virtual void TextChanged(TMathEditor& line) = 0;
    /// The top and width the document stores for `line`: those at the actual size.
    virtual std::pair<int, int> StoredPlace(const TMathEditor& line);
    /// The key preview: sees each key down of the line, decoded, before the line does. Sets
    /// `key` to 0 when it consumed the key.
    virtual void FormKeyDown(TMathEditor& line, int& key, ShiftState shift) = 0;

    // The column's steps of a split or a join; the line's own key code decides and edits.
    /// The line `offset` places from `line` (-1 above, 1 below, 0 itself); nullptr where there
    /// is none, or while `line` is in no column.
    virtual TMathEditor* Neighbour(TMathEditor& line, int offset) = 0;
    /// Throws the user's message when the document has no room for one more line.
    virtual void CheckRoomForNewLine() = 0;
    /// Stores the document as it stands as a recovery state, before a split or a join.
    virtual void SaveRecoveryState() = 0;
    /// A new line directly below `line`, as the window makes every line.
    virtual TMathEditor& NewLineBelow(TMathEditor& line) = 0;
    /// Takes `line` out of the column; the lines below close the gap.
    virtual void TakeOut(TMathEditor& line) = 0;
    /// Destroys `line`, taken out before, once its key is done.
    virtual void Discard(TMathEditor& line) = 0;
    /// Gives `line` the focus.
    virtual void Focus(TMathEditor& line) = 0;

protected:
    ~LineOwner() = default;
};

} // namespace zelm
