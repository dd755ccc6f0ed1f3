// Runs the widget and platform tests inside one QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/AccessibleFactory.h"
#include "app/CrashState.h"
#include "platform/Fonts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zelm::InstallAccessibleFactory();
    zelm::RegisterProgramFonts();
    // A window that a test drops without closing leaves its crash state to the next one.
    zelm::CrashState::defaultAsk = [](const QString&) { return false; };
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
