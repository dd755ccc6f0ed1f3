#include "dialogs/FunctieFormMath.h"

#include <QApplication>
#include <QCollator>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "dialogs/DialogAccessible.h"
#include "editor/LineEditor.h"
#include "formula/DeclMath.h"
#include "formula/LineKeys.h"
#include "formula/Renderers.h"
#include "platform/KeyCodes.h"
#include "platform/QtCanvas.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

/// A formula cell: display text, byte 0, code string.
Bytes Formula(const Bytes& text, std::initializer_list<int> codes) {
    Bytes out = text;
    out += '\0';
    for (int c : codes)
        out += char(c);
    return out;
}

const Bytes S(1, Code::Structure);
const Bytes F("\x83"); // the florin sign of Windows-1252

/// The fourteen pairs of columns 4 and 5: a structure and the key that starts it.
std::vector<std::pair<Bytes, Bytes>> StructurePairs() {
    const Bytes up = "\x04";
    return {
        {"SymbInv<>", "ToetsInv"},
        {Formula("G" + S + "e" + S + "   1 Teken", {7, 8}), "+Shift+Ctrl"},
        {Formula("G" + S + "Exponent" + S, {7, 8}), Formula("Shift" + up, {173})},
        {Formula(S + S + S, {12, 25, 13}), Formula("Ctrl" + up, {173})},
        {Formula(S + "T" + S + "N" + S, {15, 16, 17}), Formula("Alt" + up, {173})},
        {Formula(S + "t" + S + "n" + S, {26, 27, 28}), "</>"},
        {Formula(S, {35}), "<.>"},
        {Formula(S + S + F + "(x)" + S + S + "x" + S, {15, 18, 16, 19, 17}), "ctrl+<D>"},
        {Formula(S + S + S + F + "(x)" + S + "x", {20, 25, 25, 21}), "ctrl+<I>"},
        {Formula(S + "0" + S + "n" + S + F + "(n)", {22, 25, 25}), "ctrl+<S>"},
        {Formula(S, {34}), "ctrl+<K>"},
        {Formula(S, {33}), "ctrl+<E>"},
        {Formula(S, {32}), "ctrl+<P>"},
        {Formula(S + "     " + S, {38, 38}), "ctrl+<->"},
    };
}

/// Names `first` to `last` of the name table, sorted ignoring case in the user's collation.
std::vector<Bytes> SortedNames(int first, int last) {
    QCollator collation{QLocale()};
    collation.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<Bytes> names;
    for (int i = first; i <= last; ++i)
        names.emplace_back(NameTable[std::size_t(i)]);
    std::stable_sort(names.begin(), names.end(), [&](const Bytes& a, const Bytes& b) {
        return collation.compare(QString::fromLatin1(a), QString::fromLatin1(b)) < 0;
    });
    return names;
}

bool IsLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

Stroke Press(unsigned char c) {
    return {Stroke::Kind::Press, c, {}};
}

Stroke Down(int key, ShiftState shift) {
    return {Stroke::Kind::Down, key, shift};
}

/// The key stroke named by a "ctrl+<X>" cell: Ctrl with the key of its seventh character.
Stroke CtrlKeyOf(const Bytes& keyCell) {
    const char letter = keyCell.size() > 6 ? keyCell[6] : 0;
    return Down(letter == '-' ? VK::Minus : int(static_cast<unsigned char>(letter)),
                {.ctrl = true});
}

/// Waits, with events running, until a letter or digit has been typed into the list's grid.
/// Ends with nothing when the list is hidden or destroyed, the line is destroyed, or the
/// application stops its event loops.
std::optional<unsigned char> WaitForLetterOrDigit(QPointer<TFuncFormMath> list,
                                                  QPointer<TMathEditor> line) {
    QEventLoop loop;
    bool woken = false;
    const auto wake = [&] {
        woken = true;
        loop.quit();
    };
    QObject::connect(list, &TFuncFormMath::WaitMayEnd, &loop, wake);
    QObject::connect(list, &QObject::destroyed, &loop, wake);
    QObject::connect(line, &QObject::destroyed, &loop, wake);
    for (;;) {
        if (!list || !line || !list->isVisible()) return std::nullopt;
        if (IsLetterOrDigit(line->LastListKey)) return line->LastListKey;
        woken = false;
        loop.exec();
        if (!woken) return std::nullopt; // the application is quitting
    }
}

void Send(TMathEditor& line, const Stroke& stroke) {
    switch (stroke.kind) {
    case Stroke::Kind::Press: {
        unsigned char c = static_cast<unsigned char>(stroke.key);
        KeyPress(line.Line(), c);
        return;
    }
    case Stroke::Kind::Down: {
        int key = stroke.key;
        KeyDown(line.Line(), key, stroke.shift);
        return;
    }
    }
}

} // namespace

// ---- The grid ----

TRooster::TRooster(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Functielijst");
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(GridSize());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const Bytes& TRooster::Cell(int col, int row) const {
    static const Bytes none;
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount) return none;
    return cells_[std::size_t(col)][std::size_t(row)];
}

void TRooster::Append(int col, const Bytes& s) {
    for (Bytes& cell : cells_[std::size_t(col)]) {
        if (!cell.empty()) continue;
        cell = s.empty() ? Bytes(" ") : s;
        return;
    }
}

void TRooster::SetCurrent(int col, int row) {
    col_ = std::clamp(col, 0, ColCount - 1);
    row_ = std::clamp(row, FixedRows, RowCount - 1);
    update();
    ReportCurrentCell(*this);
}

QSize TRooster::GridSize() {
    int width = -GridLineWidth;
    for (int w : ColWidths)
        width += w + GridLineWidth;
    return {width, RowCount * (DefaultRowHeight + GridLineWidth) - GridLineWidth};
}

QRect TRooster::CellRect(int col, int row) {
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += ColWidths[std::size_t(c)] + GridLineWidth;
    return {left, row * (DefaultRowHeight + GridLineWidth), ColWidths[std::size_t(col)],
            DefaultRowHeight};
}

std::optional<std::pair<int, int>> TRooster::MouseToCell(QPoint p) {
    if (p.x() < 0 || p.y() < 0) return std::nullopt;
    const int row = p.y() / (DefaultRowHeight + GridLineWidth);
    if (row >= RowCount) return std::nullopt;
    int right = 0;
    for (int col = 0; col < ColCount; ++col) {
        right += ColWidths[std::size_t(col)] + GridLineWidth;
        if (p.x() < right) return std::pair{col, row};
    }
    return std::nullopt;
}

FontDesc TRooster::GridFont() {
    return FontDesc{.face = "Tahoma", .height = -11};
}

void TRooster::DrawCell(Canvas& canvas, int col, int row) const {
    const QRect r = CellRect(col, row);
    DrawFormulaCell(canvas, TextAlign::Baseline, Point{r.left() + 4, r.top()}, Cell(col, row));
}

namespace {

// The grid is paper like a line: its formulas keep their black on white whatever the desktop's
// palette, and its header, lines and marks are the light ones that go with it.
const QColor GridPaper(255, 255, 255);
const QColor GridHeader(240, 240, 240);
const QColor GridLines(160, 160, 160);
const QColor GridMark(204, 228, 247);
const QColor GridInk(0, 0, 0);

} // namespace

void TRooster::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), GridPaper);
    painter.fillRect(QRect(0, 0, width(), DefaultRowHeight + GridLineWidth), GridHeader);
    for (int row = 0; row < RowCount; ++row) {
        for (int col = 0; col < ColCount; ++col) {
            const QRect r = CellRect(col, row);
            const bool current = col == col_ && row == row_;
            if (current && !hasFocus()) painter.fillRect(r, GridMark);
            painter.save();
            painter.setClipRect(r);
            {
                QtCanvas canvas(painter, GridFont(), &sprites_);
                DrawCell(canvas, col, row);
            }
            painter.restore();
            if (current && hasFocus()) {
                // The dotted focus frame of the platform's grids.
                painter.setPen(QPen(GridInk, 1, Qt::DotLine));
                painter.drawRect(r.adjusted(0, 0, -1, -1));
            }
        }
    }
    // Vertical grid lines only, in the header as between the normal cells.
    for (int col = 0; col + 1 < ColCount; ++col) {
        const QRect r = CellRect(col, 0);
        painter.fillRect(QRect(r.right() + 1, 0, GridLineWidth, height()), GridLines);
    }
}

void TRooster::mousePressEvent(QMouseEvent* e) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) return;
    // A press on the header row leaves the current cell as it was.
    const auto cell = MouseToCell(e->position().toPoint());
    if (cell && cell->second >= FixedRows) SetCurrent(cell->first, cell->second);
}

void TRooster::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && OnMouseUp) OnMouseUp();
}

void TRooster::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        return SetCurrent(col_ - 1, row_);
    case Qt::Key_Right:
        return SetCurrent(col_ + 1, row_);
    case Qt::Key_Up:
        return SetCurrent(col_, row_ - 1);
    case Qt::Key_Down:
        return SetCurrent(col_, row_ + 1);
    case Qt::Key_Home:
        return SetCurrent(0, row_);
    case Qt::Key_End:
        return SetCurrent(ColCount - 1, row_);
    case Qt::Key_PageUp:
        return SetCurrent(col_, FixedRows);
    case Qt::Key_PageDown:
        return SetCurrent(col_, RowCount - 1);
    default:
        break;
    }
    const unsigned char c = CharacterOf(*e);
    if (c != 0 && OnKeyPress) OnKeyPress(c);
}

void TRooster::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    update();
    ReportCurrentCell(*this); // the screen reader goes on to the current cell
}

void TRooster::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
}

// ---- The window ----

// A tool window with a small caption and only a close box: it has a fixed size.
TFuncFormMath::TFuncFormMath(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle("Functie&Bewerkingen");
    setAccessibleName("Functies en bewerkingen");
    QFont font("Tahoma");
    font.setPixelSize(-TRooster::GridFont().height);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    setFixedSize(DesignedClientSize);
    KeepInWorkArea(*this);
}

bool TFuncFormMath::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(e);
}

// A window is activated as it is shown; building here too keeps the grid there from the
// first showing on, also where the window system does not activate it.
void TFuncFormMath::showEvent(QShowEvent* e) {
    FormActivate();
    QWidget::showEvent(e);
}

void TFuncFormMath::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    emit WaitMayEnd();
}

void TFuncFormMath::FormActivate() {
    if (rooster_) return;
    rooster_ = new TRooster(this);
    FillRooster();
    rooster_->OnMouseUp = [this] { RoosterMouseUp(); };
    rooster_->OnKeyPress = [this](unsigned char c) { RoosterKeyPress(c); };
    setFixedSize(TRooster::GridSize());
    rooster_->show();
}

void TFuncFormMath::FillRooster() {
    TRooster& grid = *rooster_;
    grid.Append(0, "GonioFunc.");
    for (const Bytes& name : SortedNames(16, 20))
        grid.Append(0, name);
    grid.Append(1, "RekenFunc.");
    for (const Bytes& name : SortedNames(21, 35))
        grid.Append(1, name);
    grid.Append(2, "Bew.");
    for (int i = 0; i <= 9; ++i)
        grid.Append(2, Bytes(NameTable[std::size_t(i)]));
    for (const auto& [structure, key] : StructurePairs()) {
        grid.Append(4, structure);
        grid.Append(5, key);
    }
}

void TFuncFormMath::Connect(TMathEditor& line) {
    line_ = &line;
}

void TFuncFormMath::RoosterMouseUp() {
    QueueChoice();
}

void TFuncFormMath::RoosterKeyPress(unsigned char c) {
    if (line_) line_->LastListKey = c;
    emit WaitMayEnd();
    if (c == VK::Return) QueueChoice();
    if (c == VK::Escape) hide();
}

// The choice runs from the application object, not inside the grid's own event handler: the
// wait of the "+Shift+Ctrl" row keeps events running, and the line, with this window and its
// grid, may be destroyed meanwhile.
void TFuncFormMath::QueueChoice() {
    QPointer<TFuncFormMath> self(this);
    QMetaObject::invokeMethod(
        qApp,
        [self] {
            if (self && self->isVisible()) self->Choose();
        },
        Qt::QueuedConnection);
}

bool TFuncFormMath::WaitsForKey(const TRooster& grid, int col, int row) {
    return (col == 4 || col == 5) && grid.Cell(5, row).starts_with('+');
}

std::vector<Stroke> TFuncFormMath::StrokesFor(const TRooster& grid, int col, int row,
                                              unsigned char typed) {
    const Bytes& cell = grid.Cell(col, row);
    std::vector<Stroke> strokes;
    switch (col) {
    case 0:
    case 1:
        for (char c : cell)
            strokes.push_back(Press(static_cast<unsigned char>(c)));
        return strokes;
    case 2:
        if (!cell.empty()) strokes.push_back(Press(static_cast<unsigned char>(cell[0])));
        return strokes;
    case 4:
    case 5:
        break;
    default:
        return strokes;
    }
    // The key column decides for both columns.
    const Bytes& key = grid.Cell(5, row);
    switch (key.empty() ? 0 : key[0]) {
    case '+':
        return {Down(VK::Up, {.shift = true}), Press(typed), Down(VK::Right, {})};
    case '<':
        return {Press(static_cast<unsigned char>(key.size() > 1 ? key[1] : 0))};
    case 'A':
        return {Down(VK::Up, {.alt = true})};
    case 'C':
        return {Down(VK::Up, {.ctrl = true})};
    case 'S':
        return {Down(VK::Up, {.shift = true})};
    case 'c':
        return {CtrlKeyOf(key)};
    default:
        return strokes;
    }
}

void TFuncFormMath::Choose() {
    if (!rooster_) return;
    // This window may be destroyed during the wait (with its line): after it, only the
    // guarded pointers and locals are used.
    const QPointer<TFuncFormMath> self(this);
    const QPointer<TMathEditor> line = line_;
    if (!line) return;
    const int col = rooster_->Col(), row = rooster_->Row();
    unsigned char typed = 0;
    std::vector<Stroke> strokes;
    if (WaitsForKey(*rooster_, col, row)) {
        line->LastListKey = 0;
        const std::optional<unsigned char> key = WaitForLetterOrDigit(self, line);
        if (key) {
            typed = *key;
            strokes = StrokesFor(*self->rooster_, col, row, typed);
        }
    } else {
        strokes = StrokesFor(*rooster_, col, row);
    }
    if (!self || !line) return;
    // An entry comes in whole or, when the line's record cannot hold it, not at all.
    line->Line().EditWithinRecord([&] {
        for (const Stroke& stroke : strokes)
            Send(*line, stroke);
    });
    self->hide();
    line->SetText(line->Text());
    // Back to the line, as the platform gives the focus back to the owner of a tool window.
    line->activateWindow();
    line->setFocus(Qt::OtherFocusReason);
}

namespace {

/// Moves the list beside the line, with the size it has once shown: the grid's size replaces
/// the designed one.
void PlaceBeside(TFuncFormMath& list, const TMathEditor& line) {
    const QSize frame = TRooster::GridSize() + (list.frameGeometry().size() - list.size());
    const QRect lineOnScreen(line.mapToGlobal(QPoint(0, 0)), line.size());
    const QScreen* screen = line.screen() ? line.screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), frame);
    const QPoint at = ListPosition(lineOnScreen, frame, work);
    if (list.frameGeometry().topLeft() != at) list.move(at);
}

} // namespace

TFuncFormMath& TFuncFormMath::OpenFor(TMathEditor& line) {
    if (!line.FunctieLijst) line.FunctieLijst = new TFuncFormMath(&line);
    TFuncFormMath& list = *line.FunctieLijst;
    PlaceBeside(list, line);
    list.show();
    // The window frame is known once the window is shown.
    PlaceBeside(list, line);
    list.raise();
    list.activateWindow();
    list.rooster_->setFocus(Qt::OtherFocusReason);
    list.Connect(line);
    return list;
}

QPoint ListPosition(const QRect& lineOnScreen, const QSize& listFrame, const QRect& workArea) {
    // Below the line's right end; to the left of the line where the right has no room.
    QPoint at = lineOnScreen.bottomRight() + QPoint(1, 1);
    if (at.x() + listFrame.width() > workArea.x() + workArea.width())
        at.setX(lineOnScreen.x() - listFrame.width());
    return PlaceInWorkArea(QRect(at, listFrame), workArea).topLeft();
}

} // namespace zelm
