// The keys that split a line in two and join two lines: the line's key code decides and edits
// the texts; the column around it (ColumnSteps) makes, removes and focuses the lines. Text
// positions are 1-based as in MathLine.
#include <algorithm>

#include "formula/FormulaText.h"
#include "formula/LineKeys.h"

namespace zelm {

namespace {

/// With a selection, Backspace and Delete are the line's own: they delete the selection.
bool SelectionStands(const MathLine& line) {
    return line.Selstart != line.Seleinde;
}

/// The column's steps for `line`, which the column holds.
ColumnSteps& StepsOf(MathLine& line) {
    return *line.hooks.column;
}

/// Backspace at the start: this line goes to the end of the line above. False when the key
/// is not a join.
bool JoinToPrevious(MathLine& line) {
    MathLine* previous = StepsOf(line).Neighbour(-1);
    if (!previous || line.CaretPos > 1 || SelectionStands(line)) return false;
    StepsOf(line).SaveHerstel();
    // A join the record cannot hold is refused whole, with the line's beep.
    if (!previous->EditWithinRecord([&] {
            previous->SetCodes(previous->Codes() + line.Codes());
            previous->SetText(previous->Text() + line.Text());
        }))
        return true;
    StepsOf(line).RemoveLine();
    StepsOf(*previous).FocusLine();
    previous->PlaceCaret();
    StepsOf(line).DestroyLine();
    return true;
}

/// Delete at the end: the line below comes to the end of this one. False when the key is not
/// a join.
bool JoinNext(MathLine& line) {
    MathLine* next = StepsOf(line).Neighbour(1);
    if (line.CaretPos < int(line.Text().size()) || !next || SelectionStands(line)) return false;
    StepsOf(line).SaveHerstel();
    if (!line.EditWithinRecord([&] {
            line.SetCodes(line.Codes() + next->Codes());
            line.SetText(line.Text() + next->Text());
        }))
        return true;
    StepsOf(*next).RemoveLine();
    StepsOf(*next).DestroyLine();
    return true;
}

/// Enter: the tail behind the caret goes to a new line below, behind a blank. False for a line
/// in no column.
bool Split(MathLine& line) {
    if (!StepsOf(line).Neighbour(0)) return false;
    StepsOf(line).CheckRoomForLine();
    StepsOf(line).SaveHerstel();
    MathLine& below = StepsOf(line).InsertLineBelow();
    below.fontColor = line.fontColor;
    below.SetZoom(line.Zoom());
    below.SetFont(line.BaseFont(), true);
    below.SetPlainText(line.PlainText());
    line.Selstart = line.CaretPos;
    line.Seleinde = int(line.Text().size());
    // The tail and exactly the code bytes of its code characters go to the new line.
    const Bytes& text = line.Text();
    const Bytes head = text.substr(0, std::size_t(std::max(0, line.CaretPos)));
    const std::size_t c0 = std::size_t(CountCodeChars(head));
    const Bytes tail = std::size_t(line.CaretPos) < text.size()
                           ? text.substr(std::size_t(line.CaretPos))
                           : Bytes();
    // A new line the record cannot hold (a split in front of the blank, a name freed from its
    // quote) is refused whole: the line stays as it was.
    if (!below.EditWithinRecord([&] {
            below.SetCodes(c0 < line.Codes().size() ? line.Codes().substr(c0) : Bytes());
            below.SetText(" " + tail);
        })) {
        line.Seleinde = line.Selstart;
        StepsOf(below).RemoveLine();
        StepsOf(below).DestroyLine();
        return true;
    }
    DeleteSelection(line);
    StepsOf(below).FocusLine();
    return true;
}

} // namespace

void SplitOrJoin(MathLine& line, int& key) {
    if (!line.hooks.column) return;
    const bool taken = (key == VK::Back && JoinToPrevious(line)) ||
                       (key == VK::Return && Split(line)) || (key == VK::Delete && JoinNext(line));
    if (taken) key = 0;
}

} // namespace zelm
