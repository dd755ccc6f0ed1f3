// Runs the benchmarks inside a QApplication on the offscreen platform, with the program's
// fonts registered, so that measuring and painting use the real faces.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "app/AccessibleFactory.h"
#include "platform/Fonts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zelm::InstallAccessibleFactory();
    zelm::RegisterProgramFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
