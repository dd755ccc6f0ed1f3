#include "app/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

#include "platform/Signals.h"

namespace zelm {

namespace {

// A dialog is rejected, as its close box would: its own event loop ends and the code that
// opened it goes on. Anything else modal is asked to close.
void DismissModalWindows(const QWidget* mainWindow) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == mainWindow || !w->isVisible() || !w->isModal()) continue;
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        } else {
            w->close();
        }
    }
}

} // namespace

SessionEnd::SessionEnd() {
    OnTerminationSignal([this] { Terminate(); });
}

SessionEnd::~SessionEnd() {
    OnTerminationSignal({});
}

void SessionEnd::SetWindow(QWidget* window) {
    window_ = window;
    if (!pending_ || !window_) return;
    qApp->removeEventFilter(this);
    QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
}

void SessionEnd::Terminate() {
    DismissModalWindows(window_);
    if (window_) {
        window_->close();
        return;
    }
    // The window is still being made, and start-up may open another message box (a document
    // that cannot be loaded); SetWindow closes the window.
    if (!pending_) qApp->installEventFilter(this);
    pending_ = true;
}

bool SessionEnd::eventFilter(QObject* watched, QEvent* e) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (e->type() == QEvent::Show && dialog && dialog->isModal())
        QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    return false;
}

} // namespace zelm
