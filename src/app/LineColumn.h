// The column of lines inside the main window's scroll area: their order, places and LineIndex,
// which of them show (those near the view), the scroll bars, and keeping a line in view.
#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

#include "formula/Canvas.h"

class QScrollArea;

namespace zelm {

class LineOwner;
class TMathEditor;

/// A stretch of the column from `top` up to, not including, `bottom`.
struct ColumnStretch {
    int top = 0, bottom = 0;
    bool Meets(const QWidget& w) const {
        return w.y() < bottom && w.y() + std::max(w.height(), 1) > top;
    }
};

/// The font of a new window's lines.
inline const FontDesc DefaultLineFont{"Tahoma", -16, 0, 400, 0, 0, 0, 1}; // default character set

/// What every new line starts as: `font` in `color`, the default mode, and a blank with the
/// caret behind it.
void StartLine(TMathEditor& line, const FontDesc& font, ColorRef color);

/// Asks ahead for the lines a pass over `lines` at index `k` reaches next.
void PrefetchAhead(const std::vector<TMathEditor*>& lines, std::size_t k);

class LineColumn {
public:
    /// Makes the scroll area, with the column inside it, as a child of `window`; `filter` sees
    /// the scroll area's events (its size changes with the window's).
    LineColumn(QWidget& window, QObject& filter);

    QScrollArea* Scroll() const { return scroll_; }
    QWidget* Widget() const { return column_; }
    /// The lines in column order.
    const std::vector<TMathEditor*>& Lines() const { return lines_; }
    /// The place of `line` in the column, or -1 when it is not in it.
    int IndexOf(const TMathEditor& line) const;

    /// A line at the bottom of the column reporting to `owner`, not yet shown: its caller
    /// places it, then shows it.
    TMathEditor* AddLine(LineOwner& owner);
    /// A line directly below `current`, made by `newLine` (which adds it with AddLine); the
    /// lines further down move down.
    TMathEditor* InsertBelow(TMathEditor& current, const std::function<TMathEditor*()>& newLine);
    /// Takes `line` out of the column and closes the gap; the caller destroys it.
    void Remove(TMathEditor& line);
    /// Every line leaves the column, hidden but whole, so that they can be put back.
    std::vector<TMathEditor*> SetAside();
    /// Puts lines set aside back in place of the column's lines.
    void PutBack(std::vector<TMathEditor*> lines);
    /// Hides the lines and destroys them once the present event is done; `lines` is emptied.
    static void Discard(std::vector<TMathEditor*>& lines, QObject& filter);
    /// Discards lines set aside, or the column's own lines.
    void Discard(std::vector<TMathEditor*>& lines) const { Discard(lines, filter_); }
    void DiscardAll() { Discard(lines_, filter_); }

    /// Moves the lines from index `first` on by `dy` and adds `indexStep` to their LineIndex.
    void ShiftFrom(std::size_t first, int dy, int indexStep);
    /// `line` is about to take `newHeight`: the lines below it move by the difference. False
    /// for a line not in the column.
    bool MakeRoomFor(const TMathEditor& line, int newHeight);
    /// Every line as wide as the widest line needs, and at least `width`.
    void Widen(int width);
    /// The extent of the lines: the widest line and the bottom of the lowest.
    QSize Extent() const;
    /// Shows each scroll bar exactly when the column does not fit that way.
    void ChooseScrollBars();
    /// Scrolls the column so that `line` and its caret are visible.
    void KeepInView(TMathEditor& line);
    /// The line that has the window's focus (also while the window is not active), or nullptr.
    TMathEditor* LineInFocus() const;

    /// The stretch of the column whose lines are shown: the view and a view's height above
    /// and below it.
    ColumnStretch NearView() const;
    /// Shows the lines near the view and hides the others; the focused line always shows.
    void ShowLinesNearView();
    void ShowIfNearView(TMathEditor& line, const ColumnStretch& near);
    void ShowIfNearView(TMathEditor& line) { ShowIfNearView(line, NearView()); }

private:
    /// Moves `line` to `y`; a line in `inView` moves as one that is painted again, and the
    /// line shows or hides as it comes near `near` or leaves it.
    void MoveLine(TMathEditor& line, int y, const QRect& inView, const ColumnStretch& near);
    /// The part of the column the scroll area shows, in the column's coordinates.
    QRect InView() const;
    /// The widget that has the window's focus.
    QWidget* FocusWidget() const;

    QWidget& window_;
    QObject& filter_;
    QScrollArea* scroll_ = nullptr;
    QWidget* column_ = nullptr;
    std::vector<TMathEditor*> lines_;
};

} // namespace zelm
