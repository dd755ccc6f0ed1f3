#include <QApplication>
#include <QLabel>

#include "platform/Platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("TextverwerkerZelm");
    zelm::RegisterProgramFonts();
    QLabel placeholder("ZelmEditor");
    placeholder.show();
    return app.exec();
}
