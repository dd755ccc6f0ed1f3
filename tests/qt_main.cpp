// Runs the widget and platform tests inside one QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/Platform.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    zelm::RegisterProgramFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
