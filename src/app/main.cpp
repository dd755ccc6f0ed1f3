#include <QApplication>
#include <QIcon>

#include "app/MathEdit.h"
#include "app/SessionEnd.h"
#include "formula/Errors.h"
#include "platform/Platform.h"

namespace {

// Failures end the command that raised them; the user sees their message and goes on.
class ZelmApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception& error) {
            zelm::ShowErrorMessage(QString::fromLocal8Bit(error.what()));
        }
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    ZelmApplication app(argc, argv);
    QApplication::setApplicationName("TextverwerkerZelm");
    // The installed desktop entry and icon (a program in its build folder has neither).
    QGuiApplication::setDesktopFileName(zelm::DesktopId);
    const QString icon = zelm::InstalledIconFile(QApplication::applicationDirPath());
    QApplication::setWindowIcon(QIcon::fromTheme(zelm::DesktopId, QIcon(icon)));
    for (const QString& file : zelm::RegisterProgramFonts())
        qWarning("ZelmEditor: font not registered: %s", qUtf8Printable(file));
    zelm::SessionEnd sessionEnd;
    zelm::TBasisMath window({}, {}, QApplication::arguments().mid(1));
    sessionEnd.SetWindow(&window);
    return app.exec();
}
