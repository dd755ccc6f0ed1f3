#include "platform/WorkArea.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zelm {

namespace {

QSize FrameMargins(const QWidget& window) {
    return window.frameGeometry().size() - window.size();
}

// Fits its window once the events of the moment are done: a window's size and frame are
// settled only after the show or resize that asked for the fit.
class WorkAreaKeeper : public QObject {
public:
    explicit WorkAreaKeeper(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != &window_) return false;
        switch (e->type()) {
        case QEvent::Show:
            // Before it reaches the screen, with the frame it had (if any), and again later.
            framed_ = false;
            FitIntoWorkArea(window_);
            Queue();
            break;
        case QEvent::Resize:
        case QEvent::ScreenChangeInternal:
            Queue();
            break;
        case QEvent::Move:
        case QEvent::WindowActivate:
            // The window manager frames a new window after it shows; its frame is known from
            // the first move or activation on. Later moves are the user's own.
            if (!framed_ && window_.isVisible()) {
                framed_ = true;
                Queue();
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Queue() {
        if (queued_) return;
        queued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                queued_ = false;
                if (window_.isVisible()) FitIntoWorkArea(window_);
            },
            Qt::QueuedConnection);
    }

    QWidget& window_;
    bool queued_ = false;
    bool framed_ = false;
};

} // namespace

QRect PlaceInWorkArea(QRect frame, const QRect& work) {
    if (frame.right() > work.right()) frame.moveRight(work.right());
    if (frame.bottom() > work.bottom()) frame.moveBottom(work.bottom());
    if (frame.left() < work.left()) frame.moveLeft(work.left());
    if (frame.top() < work.top()) frame.moveTop(work.top());
    return frame;
}

QRect WorkAreaOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen ? screen->availableGeometry() : QRect();
}

QSize LargestClientSize(const QWidget& window) {
    const QRect work = WorkAreaOf(window);
    if (work.isEmpty()) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    return (work.size() - FrameMargins(window)).expandedTo({1, 1});
}

void FitIntoWorkArea(QWidget& window) {
    const QRect work = WorkAreaOf(window);
    if (work.isEmpty()) return;
    const QSize room = LargestClientSize(window);
    if (window.width() > room.width() || window.height() > room.height()) {
        const QSize fitted = window.size().boundedTo(room);
        window.setMinimumSize(window.minimumSize().boundedTo(fitted));
        window.resize(fitted);
    }
    const QRect frame(window.frameGeometry().topLeft(), window.size() + FrameMargins(window));
    const QRect placed = PlaceInWorkArea(frame, work);
    if (placed.topLeft() != frame.topLeft()) window.move(placed.topLeft());
}

void KeepInWorkArea(QWidget& window) {
    new WorkAreaKeeper(window);
}

} // namespace zelm
