#include <QApplication>
#include <QMessageBox>

#include "platform/Platform.h"

namespace zelm {

void ShowErrorMessage(const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

} // namespace zelm
