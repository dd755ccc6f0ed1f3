// The window's zoom: how large every line is drawn. Only the screen changes: the lines keep
// their fonts, so documents, recovery states, pictures and prints stay as they are.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QWheelEvent>
#include <algorithm>

#include "app/MainWindow.h"

namespace zelm {

namespace {

// Beside the recovery folder of an installed program, apart from "Instellingen.ops", whose
// record has no room for it.
QString ZoomStoreName() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Weergave.ini";
}

constexpr const char* ZoomKey = "zoom";
constexpr int WheelStep = 120; // one notch of a common mouse wheel

int WithinZoomRange(int percent) {
    return std::clamp(percent, TBasisMath::SmallestZoom, TBasisMath::LargestZoom);
}

} // namespace

int TBasisMath::StoredZoom() {
    const QSettings store(ZoomStoreName(), QSettings::IniFormat);
    bool ok = false;
    const int percent = store.value(ZoomKey, ActualSize).toInt(&ok);
    return ok ? WithinZoomRange(percent) : ActualSize;
}

void TBasisMath::StoreZoom() const {
    QSettings store(ZoomStoreName(), QSettings::IniFormat);
    store.setValue(ZoomKey, zoom_);
}

void TBasisMath::SetZoom(int percent) {
    percent = WithinZoomRange(percent);
    if (percent == zoom_) return;
    ApplyZoom(percent);
    StoreZoom();
}

// Every line laid out again at the new size; the window fits the lines as it does after an
// edit, narrower too when the lines got narrower.
void TBasisMath::ApplyZoom(int percent) {
    if (zoom_ == ActualSize && !Lines().empty())
        columnWidthAtActualSize_ = Lines().front()->width();
    zoom_ = percent;
    actualPlacesStale_ = true;
    for (TMathEditor* line : Lines())
        line->SetZoom(percent);
    column_.Widen(std::max(minimumWidth(), columnWidthAtActualSize_));
    FitToLines();
}

// The lines stand one below the other, each as high as at the actual size; the column is as
// wide as it was there, or as the widest line needs.
std::pair<int, int> TBasisMath::StoredPlace(const TMathEditor& line) {
    const std::vector<TMathEditor*>& lines = Lines();
    if (actualPlacesStale_ || actualTops_.size() != lines.size()) {
        actualTops_.assign(lines.size(), 0);
        actualWidth_ = std::max(columnWidthAtActualSize_, minimumWidth());
        int top = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Size extent = lines[i]->Line().ActualExtent();
            actualTops_[i] = top;
            top += extent.cy;
            actualWidth_ = std::max(actualWidth_, extent.cx);
        }
        actualPlacesStale_ = false;
    }
    const int i = column_.IndexOf(line);
    return i < 0 ? std::pair{line.y(), line.width()}
                 : std::pair{actualTops_[std::size_t(i)], actualWidth_};
}

// A loaded document places its lines at the tops and width it stored, those of the actual
// size: zoomed, they stand one below the other again, as wide as they need.
void TBasisMath::StackZoomedLines() {
    int top = 0, widest = 0;
    bool moved = false;
    for (TMathEditor* line : Lines()) {
        if (line->y() != top) {
            line->move(line->x(), top);
            moved = true;
        }
        top += line->height();
        widest = std::max(widest, line->NeededWidth());
    }
    if (!Lines().empty() && Lines().front()->width() < widest) column_.Widen(widest);
    if (moved) column_.ShowLinesNearView();
}

void TBasisMath::AtActualSize(const std::function<void()>& command) {
    const int shown = zoom_;
    if (shown == ActualSize) return command();
    ApplyZoom(ActualSize);
    struct Back {
        TBasisMath& window;
        int percent;
        ~Back() { window.ApplyZoom(percent); }
    } back{*this, shown};
    command();
}

// Ctrl with the wheel over the lines zooms, a step per notch; high-resolution wheels add up.
bool TBasisMath::ZoomWheel(QEvent* e) {
    if (e->type() != QEvent::Wheel) return false;
    auto* wheel = static_cast<QWheelEvent*>(e);
    if ((wheel->modifiers() & ~Qt::ShiftModifier) != Qt::ControlModifier) return false;
    wheelTurn_ += wheel->angleDelta().y();
    const int steps = wheelTurn_ / WheelStep;
    wheelTurn_ -= steps * WheelStep;
    if (steps != 0) SetZoom(zoom_ + steps * ZoomStep);
    return true;
}

void TBasisMath::CreateZoomItems() {
    PopupMenu2->addSeparator();
    const auto item = [this](const char* caption, QKeySequence key, auto step) {
        QAction* action = PopupMenu2->addAction(QString::fromUtf8(caption));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action); // the shortcut works while the menu is closed
        connect(action, &QAction::triggered, this, [this, step] { SetZoom(step(zoom_)); });
        return action;
    };
    Inzoomen = item("Inzoomen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Equal),
                    [](int z) { return z + ZoomStep; });
    Uitzoomen = item("Uitzoomen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Minus),
                     [](int z) { return z - ZoomStep; });
    WareGrootte = item("Ware grootte", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0),
                       [](int) { return ActualSize; });
    column_.Scroll()->viewport()->installEventFilter(this);
}

} // namespace zelm
