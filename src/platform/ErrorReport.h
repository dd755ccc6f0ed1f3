// The error report and the message boxes, each over its own window.
#pragma once

#include <QString>

class QWidget;

namespace zelm {

/// The application's standard error report: the message in a box over the active window (the
/// main window when none is active); the program goes on.
void ShowErrorMessage(const QString& message);

/// A message box with an OK button over `parent`, kept on the screen; an error shows as one.
void ShowMessageBox(QWidget* parent, const QString& message, bool error = false);

} // namespace zelm
