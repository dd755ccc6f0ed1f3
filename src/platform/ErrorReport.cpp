#include <QApplication>
#include <QMessageBox>

#include "platform/Platform.h"
#include "platform/WorkArea.h"

namespace zelm {

void ShowMessageBox(QWidget* parent, const QString& message, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information,
                    QApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setAccessibleName(error ? "Foutmelding" : "Melding");
    KeepInWorkArea(box);
    box.exec();
}

void ShowErrorMessage(const QString& message) {
    ShowMessageBox(QApplication::activeWindow(), message, true);
}

} // namespace zelm
