#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

#include "platform/ErrorReport.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

// A window that stays on top may hide even its own transients on some window managers: a box
// over it, or over a window it owns, stays on top too.
bool OverStayOnTopWindow(const QWidget* parent) {
    for (const QWidget* w = parent ? parent->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return true;
    return false;
}

// The window a report without a window of its own belongs to: the active one, or else (the
// active one has just closed, or the window manager has not given it back yet) the main window
// the user sees. Without a parent the box could open beneath a window that stays on top.
QWidget* ReportParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
    return nullptr;
}

} // namespace

void ShowMessageBox(QWidget* parent, const QString& message, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information,
                    QApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setAccessibleName(error ? "Foutmelding" : "Melding");
    if (OverStayOnTopWindow(parent)) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    KeepInWorkArea(box);
    box.exec();
}

void ShowErrorMessage(const QString& message) {
    ShowMessageBox(ReportParent(), message, true);
}

} // namespace zelm
