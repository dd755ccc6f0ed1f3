#include "app/WrappingMenuBar.h"

#include <QEvent>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace zelm {

namespace {

// A further row of the main menu. The Alt key alone leads into the first row only: were every
// row to answer it, each would light an item of its own.
class MenuBarRow : public QMenuBar {
public:
    using QMenuBar::QMenuBar;
    bool eventFilter(QObject*, QEvent*) override { return false; }
};

} // namespace

WrappingMenuBar::WrappingMenuBar(QWidget* parent) : QMenuBar(parent) {
    setNativeMenuBar(false); // the menu stays in the window, as designed
}

void WrappingMenuBar::Arrange() {
    items_ = actions();
    while (rows_.size() + 1 < std::size_t(items_.size())) {
        auto* row = new MenuBarRow(this);
        row->setNativeMenuBar(false);
        row->setStyle(style());
        row->hide();
        rows_.push_back(row);
    }
    Wrap();
    updateGeometry();
}

// The same sums as the bar's own layout: items side by side from the left margin with the
// style's spacing, each as wide as the style makes it, within the panel's frame.
std::vector<int> WrappingMenuBar::RowsAt(int width) const {
    const QStyle* s = style();
    const int frame = s->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, this);
    const int spacing = s->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, this);
    const int picture = s->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int start = frame + s->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, this) + spacing;
    const int end = width - frame;
    std::vector<int> rows;
    int row = 0, x = start;
    for (const QAction* item : items_) {
        QStyleOptionMenuItem option;
        initStyleOption(&option, item);
        const QSize content = item->icon().isNull()
                                  ? fontMetrics().size(Qt::TextShowMnemonic, item->text())
                                  : QSize(picture, picture);
        const int w = s->sizeFromContents(QStyle::CT_MenuBarItem, &option, content, this).width();
        if (x + w > end && x > start) {
            ++row;
            x = start;
        }
        rows.push_back(row);
        x += w + spacing;
    }
    return rows;
}

int WrappingMenuBar::RowHeight() const {
    return QMenuBar::heightForWidth(width());
}

int WrappingMenuBar::heightForWidth(int width) const {
    if (items_.isEmpty()) return QMenuBar::heightForWidth(width);
    return RowHeight() * (RowsAt(width).back() + 1);
}

void WrappingMenuBar::resizeEvent(QResizeEvent* e) {
    Wrap();
    QMenuBar::resizeEvent(e);
}

void WrappingMenuBar::changeEvent(QEvent* e) {
    if (e->type() == QEvent::StyleChange) {
        for (QMenuBar* row : rows_)
            row->setStyle(style());
    }
    QMenuBar::changeEvent(e);
}

void WrappingMenuBar::Wrap() {
    if (items_.isEmpty()) return;
    const std::vector<int> rowOf = RowsAt(width());
    std::vector<QMenuBar*> bars = {this};
    bars.insert(bars.end(), rows_.begin(), rows_.end());
    std::vector<QList<QAction*>> wanted(bars.size());
    for (qsizetype i = 0; i < items_.size(); ++i)
        wanted[std::size_t(rowOf[std::size_t(i)])] << items_[i];
    // An item leaves its old row before it joins its new one.
    for (std::size_t r = 0; r < bars.size(); ++r)
        for (QAction* item : bars[r]->actions())
            if (!wanted[r].contains(item)) bars[r]->removeAction(item);
    for (std::size_t r = 0; r < bars.size(); ++r) {
        // Not QList's ==: Qt 6.4 hands two empty lists' null data to memcmp.
        const QList<QAction*> present = bars[r]->actions();
        if (std::equal(present.begin(), present.end(), wanted[r].begin(), wanted[r].end()))
            continue;
        for (QAction* item : bars[r]->actions())
            bars[r]->removeAction(item);
        bars[r]->addActions(wanted[r]);
    }
    const int h = RowHeight();
    for (std::size_t r = 1; r < bars.size(); ++r) {
        bars[r]->setGeometry(0, int(r) * h, width(), h);
        bars[r]->setVisible(!wanted[r].isEmpty());
    }
}

} // namespace zelm
