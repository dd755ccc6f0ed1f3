// What a line asks of the window that holds it. Each call is one of the line's events; a line
// without an owner (the settings dialog's preview, a function list's cells) reports to no one.
#pragma once

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

protected:
    ~LineOwner() = default;
};

} // namespace zelm
