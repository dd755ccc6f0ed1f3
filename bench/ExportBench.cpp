// "JPG" of a window of 40 lines, and "--export" of a document of 1,000 lines to PNG and SVG as
// the user runs it (the program started as a process, no display). Each repetition is one
// sample; the median and the 99th percentile of the samples are reported.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <memory>

#include "BenchDocuments.h"
#include "app/MathEdit.h"
#include "platform/FileIO.h"

namespace zelm {
namespace {

double P99(const std::vector<double>& samples) {
    std::vector<double> v = samples;
    std::sort(v.begin(), v.end());
    return v[std::size_t(std::max(0.0, std::ceil(0.99 * double(v.size())) - 1))];
}

void BM_Jpg40Lines(benchmark::State& state) {
    QTemporaryDir folder;
    const QString document = folder.filePath("veertig.mds");
    WriteFileAtomically(document.toStdString(), bench::MakeDocument(40, 24));
    TBasisMath window(folder.path(), [](const QString&) {});
    window.Load(document);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.desktopFolder = folder.filePath("Bureaublad");
    const QString old = QDir::currentPath();
    QDir::setCurrent(folder.path());
    for (auto _ : state)
        window.MjpgClick();
    QDir::setCurrent(old);
    state.counters["width"] = window.ClientSize().width();
    state.counters["height"] = window.ClientSize().height();
}

void ExportThousandLines(benchmark::State& state, const char* suffix) {
    QTemporaryDir folder;
    const QString document = folder.filePath("duizend.mds");
    WriteFileAtomically(document.toStdString(), bench::MakeDocument(1000, 24));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(ZELM_EDITOR_BINARY,
                      {"--export", folder.filePath(QString("duizend.") + suffix), document});
        if (!process.waitForFinished(600000) || process.exitCode() != 0)
            state.SkipWithError("export failed");
    }
}

void BM_Export1000LinesPng(benchmark::State& state) {
    ExportThousandLines(state, "png");
}
void BM_Export1000LinesSvg(benchmark::State& state) {
    ExportThousandLines(state, "svg");
}

BENCHMARK(BM_Jpg40Lines)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(30)
    ->ComputeStatistics("p99", P99)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Export1000LinesPng)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ComputeStatistics("p99", P99)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Export1000LinesSvg)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ComputeStatistics("p99", P99)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace zelm
