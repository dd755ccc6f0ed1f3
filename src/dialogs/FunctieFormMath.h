// The function list: a small tool window per line whose grid shows what can be typed into a
// formula (function names, operators, structures with their keys). Choosing a cell types the
// item into the line by sending the line's own key handlers the keys that make it.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "formula/Canvas.h"
#include "formula/Keys.h"
#include "platform/SpriteCache.h"

namespace zelm {

class TMathEditor;

/// The grid of the function list: a string grid of 6 columns and 16 rows, row 0 the fixed
/// header row, whose cells are drawn by the formula cell renderer.
class TRooster : public QWidget {
    Q_OBJECT
public:
    static constexpr int ColCount = 6;
    static constexpr int RowCount = 16;
    static constexpr int FixedRows = 1;
    static constexpr int DefaultColWidth = 64;
    static constexpr std::array<int, ColCount> ColWidths{
        DefaultColWidth, DefaultColWidth, DefaultColWidth / 2, 1, DefaultColWidth, DefaultColWidth};
    static constexpr int DefaultRowHeight = 24;
    static constexpr int GridLineWidth = 1;

    explicit TRooster(QWidget* parent);

    /// The string of a cell: plain text, or display text, byte 0 and code string.
    const Bytes& Cell(int col, int row) const;
    /// Puts `s` into the first empty cell of column `col` (an empty string as one blank);
    /// nothing is stored when the column is full.
    void Append(int col, const Bytes& s);
    /// The current cell; it never leaves the rows below the header.
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCurrent(int col, int row);

    /// The grid's size: every column and row plus its grid line, less the last line.
    static QSize GridSize();
    /// A cell's rectangle, without the grid lines around it.
    static QRect CellRect(int col, int row);
    /// The cell under a point; a grid line belongs to the cell on its left or above it.
    static std::optional<std::pair<int, int>> MouseToCell(QPoint p);
    /// Draws a cell's string with the cell renderer at (cell left + 4, cell top) on the
    /// canvas's font.
    void DrawCell(Canvas& canvas, int col, int row) const;
    /// The grid's font: the window's Tahoma of 8 points (11 pixels).
    static FontDesc GridFont();

    /// The left mouse button went up over the grid.
    std::function<void()> OnMouseUp;
    /// A character was typed into the grid (Windows-1252; Enter is 13).
    std::function<void(unsigned char)> OnKeyPress;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    std::array<std::array<Bytes, RowCount>, ColCount> cells_;
    int col_ = 0;
    int row_ = FixedRows;
    SpriteCache sprites_; // the cells' canvases share it
};

/// One key stroke of a choice: a key press of a character, or a key down of a virtual key
/// with its modifiers.
struct Stroke {
    enum class Kind { Press, Down };
    Kind kind = Kind::Press;
    int key = 0; ///< the character of a press, the virtual key of a key down
    ShiftState shift;
    bool operator==(const Stroke&) const = default;
};

/// The function list window `TFuncFormMath`, caption "Functie&Bewerkingen".
class TFuncFormMath : public QWidget {
    Q_OBJECT
public:
    /// The client size as designed; the grid's size replaces it when the grid is built.
    static constexpr QSize DesignedClientSize{340, 343};

    /// A hidden window owned by `owner` (the line it belongs to), destroyed with it.
    explicit TFuncFormMath(QWidget* owner = nullptr);

    /// The grid; null until the window is first activated.
    TRooster* Rooster() const { return rooster_; }
    /// Builds the grid if it does not exist yet (the window's activation).
    void FormActivate();
    /// Connects the grid's mouse-up and key press to `line`.
    void Connect(TMathEditor& line);
    /// The choice for the grid's current cell: sends its keys to the connected line, hides
    /// the window and lays the line out again. The "+Shift+Ctrl" row first waits, with events
    /// running, for a letter or digit typed into the grid.
    void Choose();

    /// The line's function list: made on the first request, placed beside the line inside
    /// the work area, shown, its grid focused and connected to the line.
    static TFuncFormMath& OpenFor(TMathEditor& line);
    /// The keys that choosing cell (col, row) of `grid` sends; `typed` is the letter or
    /// digit awaited by the "+Shift+Ctrl" row.
    static std::vector<Stroke> StrokesFor(const TRooster& grid, int col, int row,
                                          unsigned char typed = 0);
    /// Whether choosing cell (col, row) first waits for a letter or digit.
    static bool WaitsForKey(const TRooster& grid, int col, int row);

signals:
    /// Something a waiting choice looks at changed: a key arrived or the window was hidden.
    void WaitMayEnd();

protected:
    bool event(QEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void FillRooster();
    void RoosterMouseUp();
    void RoosterKeyPress(unsigned char c);
    void QueueChoice();

    TRooster* rooster_ = nullptr;
    QPointer<TMathEditor> line_;
};

/// Where the list stands for a line at `lineOnScreen`: below the line and right of it; moved
/// up to end at the bottom of the work area, and left of the line when it would pass the work
/// area's right edge; never above or left of the work area.
QPoint ListPosition(const QRect& lineOnScreen, const QSize& listFrame, const QRect& workArea);

} // namespace zelm
