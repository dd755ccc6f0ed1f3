#include "app/LineColumn.h"

#include <QScrollArea>
#include <QScrollBar>

#include "editor/LineEditor.h"

namespace zelm {

namespace {

// How many lines ahead a pass over the column asks for a line's widget, and then for what the
// widget points to.
constexpr std::size_t PrefetchDistance = 8;

// The scroll value that shows the stretch [from, to] of a view `extent` long, moving as
// little as possible from `value`.
int ScrolledToShow(int value, int extent, int from, int to) {
    if (to >= value + extent) value = to - extent + 1;
    if (from < value) value = from;
    return value;
}

} // namespace

void StartLine(TMathEditor& line, const FontDesc& font, ColorRef color) {
    line.SetFont(font, color);
    line.SetPlainText(EditorState().plainTextDefault);
    MathLine& m = line.Line();
    m.Selstart = m.Seleinde = m.CaretPos = 1;
    line.SetText(" ");
}

void PrefetchAhead(const std::vector<TMathEditor*>& lines, std::size_t k) {
    if (k + 2 * PrefetchDistance < lines.size())
        TMathEditor::PrefetchObject(lines[k + 2 * PrefetchDistance]);
    if (k + PrefetchDistance < lines.size()) lines[k + PrefetchDistance]->Prefetch();
}

LineColumn::LineColumn(QWidget& window, QObject& filter) : window_(window), filter_(filter) {
    scroll_ = new QScrollArea(&window);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setFocusPolicy(Qt::NoFocus); // keys are for the lines, never for the scrolling
    scroll_->installEventFilter(&filter);
    // Below and beside the lines the window shows the window colour, as the lines do.
    scroll_->setBackgroundRole(QPalette::Base);
    scroll_->viewport()->setBackgroundRole(QPalette::Base);
    column_ = new QWidget;
    column_->setBackgroundRole(QPalette::Base);
    column_->setAutoFillBackground(true);
    column_->resize(480, 1041);
    scroll_->setWidget(column_);
    QObject::connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, scroll_,
                     [this] { ShowLinesNearView(); });
}

int LineColumn::IndexOf(const TMathEditor& line) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i] == &line) return int(i);
    return -1;
}

TMathEditor* LineColumn::AddLine(LineOwner& owner) {
    // A line starts as wide as the window's client area, also in a column left empty, which
    // has no width of its own.
    const int clientWidth = scroll_->viewport()->width();
    if (column_->width() < clientWidth) column_->resize(clientWidth, column_->height());
    auto* line = new TMathEditor(column_);
    lines_.push_back(line);
    line->SetLineIndex(int(lines_.size()) - 1);
    line->SetOwner(&owner);
    return line;
}

TMathEditor* LineColumn::InsertBelow(TMathEditor& current,
                                     const std::function<TMathEditor*()>& newLine) {
    const std::size_t at = std::size_t(IndexOf(current)) + 1;
    // The lines after `current` leave the column for a moment and come back below the new one.
    std::vector<TMathEditor*> queue(lines_.begin() + std::ptrdiff_t(at), lines_.end());
    lines_.resize(at);
    TMathEditor* line = newLine();
    MoveLine(*line, current.y() + current.height(), InView(), NearView());
    lines_.insert(lines_.end(), queue.begin(), queue.end());
    ShiftFrom(at + 1, line->height(), +1);
    return line;
}

void LineColumn::Remove(TMathEditor& line) {
    const int i = IndexOf(line);
    if (i < 0) return;
    lines_.erase(lines_.begin() + i);
    ShiftFrom(std::size_t(i), -line.height(), -1);
}

std::vector<TMathEditor*> LineColumn::SetAside() {
    std::vector<TMathEditor*> previous;
    previous.swap(lines_);
    for (TMathEditor* line : previous)
        line->hide();
    return previous;
}

void LineColumn::PutBack(std::vector<TMathEditor*> lines) {
    lines_ = std::move(lines);
}

void LineColumn::Discard(std::vector<TMathEditor*>& lines, QObject& filter) {
    for (TMathEditor* line : lines) {
        line->removeEventFilter(&filter);
        line->hide();
        line->deleteLater();
    }
    lines.clear();
}

bool LineColumn::MakeRoomFor(const TMathEditor& line, int newHeight) {
    const int i = IndexOf(line);
    if (i < 0) return false;
    ShiftFrom(std::size_t(i) + 1, newHeight - line.height(), 0);
    return true;
}

void LineColumn::Widen(int width) {
    int widest = width;
    for (TMathEditor* l : lines_)
        widest = std::max(widest, l->NeededWidth());
    for (TMathEditor* l : lines_) {
        l->resize(widest, l->height());
        l->Line().ClientWidth = widest;
    }
}

// Qt moves an opaque line in view by scrolling its pixels, and first looks through every other
// line of the column for one that overlaps it, twice: in a long document that search costs far
// more than painting the few lines in view again. Those lines move as lines that are repainted;
// lines out of view cost Qt no painting either way.
void LineColumn::ShiftFrom(std::size_t first, int dy, int indexStep) {
    if (dy == 0 && indexStep == 0) return;
    const QRect inView = InView();
    const ColumnStretch near = NearView();
    for (std::size_t k = first; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        TMathEditor* l = lines_[k];
        l->SetLineIndex(l->LineIndex() + indexStep);
        MoveLine(*l, l->y() + dy, inView, near);
    }
}

void LineColumn::MoveLine(TMathEditor& line, int y, const QRect& inView,
                          const ColumnStretch& near) {
    const bool shown = !line.isHidden() && inView.intersects(line.geometry());
    if (shown) line.setAttribute(Qt::WA_OpaquePaintEvent, false);
    line.move(line.x(), y);
    if (shown) line.setAttribute(Qt::WA_OpaquePaintEvent, true);
    ShowIfNearView(line, near);
}

QSize LineColumn::Extent() const {
    int w = 0, h = 0;
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        const TMathEditor* l = lines_[k];
        w = std::max(w, l->x() + l->width());
        h = std::max(h, l->y() + l->height());
    }
    return {w, h};
}

// The scroll bars show exactly when the column does not fit; left to decide for themselves,
// a column that fits exactly could keep both of them, each needed only for the other.
void LineColumn::ChooseScrollBars() {
    const QSize room = scroll_->size();
    const QSize need = column_->size();
    const int barWidth = scroll_->verticalScrollBar()->sizeHint().width();
    const int barHeight = scroll_->horizontalScrollBar()->sizeHint().height();
    bool sideways = need.width() > room.width();
    const bool upDown = need.height() > room.height() - (sideways ? barHeight : 0);
    if (upDown) sideways = need.width() > room.width() - barWidth;
    scroll_->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(upDown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

QWidget* LineColumn::FocusWidget() const {
    return window_.focusWidget();
}

TMathEditor* LineColumn::LineInFocus() const {
    for (TMathEditor* l : lines_)
        if (FocusWidget() == l) return l;
    return nullptr;
}

// Up and down the whole line shows when it fits; sideways only the caret's cell, so that a
// line wider than the window neither hides the caret nor pulls the other lines out of view.
void LineColumn::KeepInView(TMathEditor& line) {
    const QRect inColumn = line.geometry();
    const CaretRect& c = line.Line().CaretCellValue();
    const QRect caret =
        QRect(c.x, c.y, std::max(1, c.width), c.height).normalized().translated(inColumn.topLeft());
    const QSize view = scroll_->viewport()->size();
    const QRect upDown = inColumn.height() <= view.height() ? inColumn : caret;
    QScrollBar* v = scroll_->verticalScrollBar();
    QScrollBar* h = scroll_->horizontalScrollBar();
    v->setValue(ScrolledToShow(v->value(), view.height(), upDown.top(), upDown.bottom()));
    h->setValue(ScrolledToShow(h->value(), view.width(), caret.left(), caret.right()));
}

QRect LineColumn::InView() const {
    return {-column_->pos(), scroll_->viewport()->size()};
}

// Lines far from the view are hidden: Qt moves a hidden line without repainting anything or
// sending it events, and moving the thousands of lines below a split or a join was most of
// the cost of one in a long document. A line shows again as the view comes near it.
ColumnStretch LineColumn::NearView() const {
    const int top = scroll_->verticalScrollBar()->value();
    const int height = scroll_->viewport()->height();
    return {top - height, top + 2 * height};
}

void LineColumn::ShowLinesNearView() {
    const ColumnStretch near = NearView();
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        ShowIfNearView(*lines_[k], near);
    }
}

void LineColumn::ShowIfNearView(TMathEditor& line, const ColumnStretch& near) {
    const bool show = near.Meets(line) || FocusWidget() == &line;
    if (show == line.isHidden()) line.setVisible(show);
}

} // namespace zelm
