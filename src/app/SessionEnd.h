// Closing the main window when the program is asked to terminate.
#pragma once

#include <QPointer>
#include <QWidget>

namespace zelm {

/// Closes the main window the way its close box does (so its closing state is written) when
/// the session ends, Ctrl+C is pressed or the terminal closes. While it lives, SIGTERM,
/// SIGINT and SIGHUP run Terminate.
class SessionEnd : public QObject {
public:
    SessionEnd();
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    /// The main window, once it has started; a termination asked for before then closes it as
    /// soon as the event loop runs.
    void SetWindow(QWidget* window);
    /// Dismisses the open dialogs (a modal message box may hold up start-up), then closes the
    /// main window.
    void Terminate();

protected:
    /// Until the window has started, dismisses each modal dialog that start-up still opens.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QPointer<QWidget> window_;
    bool pending_ = false;
};

} // namespace zelm
