#include <QApplication>
#include <QIcon>

#include "app/AccessibleFactory.h"
#include "app/ExportCommand.h"
#include "app/MainWindow.h"
#include "app/SessionEnd.h"
#include "dialogs/HelpForm.h"
#include "dialogs/OKCANCL2.h"
#include "formula/Errors.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/Paths.h"
#include "platform/Translations.h"

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
    if (int status = 0; zelm::RunCommandLineTool(argc, argv, status)) return status;
    ZelmApplication app(argc, argv);
    zelm::InstallAccessibleFactory();
    QApplication::setApplicationName("TextverwerkerZelm");
    zelm::InstallQtTranslations(app);
    // The installed desktop entry and icon (a program in its build folder has neither).
    QGuiApplication::setDesktopFileName(zelm::DesktopId);
    const QString icon = zelm::InstalledIconFile(QApplication::applicationDirPath());
    QApplication::setWindowIcon(QIcon::fromTheme(zelm::DesktopId, QIcon(icon)));
    for (const QString& file : zelm::RegisterProgramFonts())
        qWarning("ZelmEditor: font not registered: %s", qUtf8Printable(file));
    zelm::SessionEnd sessionEnd;
    zelm::TBasisMath window({}, {}, zelm::ProgramArguments(argc, argv));
    sessionEnd.SetWindow(&window);
    // The auxiliary windows, created hidden; the help window first.
    zelm::TZelmEditHelp help(&window);
    window.showHelp = [&help] { help.Show(); };
    // The settings dialog reads its file from the recovery folder the window has just set.
    zelm::TOptiesVenster optiesVenster(window.WindowFont, window.WindowFontColor, window.HerstelDir,
                                       &window);
    window.UseOptiesVenster(optiesVenster);
    return app.exec();
}
