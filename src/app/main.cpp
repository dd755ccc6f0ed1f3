#include <QApplication>

#include "app/MathEdit.h"
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
    zelm::RegisterProgramFonts();
    zelm::TBasisMath window({}, {}, zelm::ProgramArguments(argc, argv));
    return app.exec();
}
