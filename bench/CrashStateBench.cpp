// One crash save of a 10,000-line document, in its two parts: the bytes made on the window's
// thread (what typing waits for, once per pause) and the atomic write with its fsyncs on the
// writer's thread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "BenchDocuments.h"
#include "Samples.h"
#include "app/MainWindow.h"
#include "files/FileIO.h"

namespace zelm {
namespace {

struct CrashBenchWindow {
    QTemporaryDir folder;
    std::unique_ptr<TBasisMath> window;

    CrashBenchWindow() {
        const QString document = folder.filePath("groot.mds");
        WriteFileAtomically(document.toStdString(), bench::MakeDocument(10000, 20));
        window = std::make_unique<TBasisMath>(folder.path(), [](const QString&) {});
        QApplication::processEvents();
        window->Load(document);
    }
};

std::unique_ptr<CrashBenchWindow> crashBench;

CrashBenchWindow& CrashBench() {
    if (!crashBench) {
        crashBench = std::make_unique<CrashBenchWindow>();
        qAddPostRoutine([] { crashBench.reset(); });
    }
    return *crashBench;
}

void BM_CrashStateEncode10000Lines(benchmark::State& state) {
    CrashBenchWindow& s = CrashBench();
    bench::Samples samples(state);
    for (auto _ : state) {
        samples.Time([&] {
            bool cutLine = false;
            benchmark::DoNotOptimize(s.window->Document().Encoded(cutLine));
        });
    }
    state.counters["lines"] = double(s.window->Lines().size());
}
BENCHMARK(BM_CrashStateEncode10000Lines)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

void BM_CrashStateWrite10000Lines(benchmark::State& state) {
    CrashBenchWindow& s = CrashBench();
    bool cutLine = false;
    const std::string bytes = s.window->Document().Encoded(cutLine);
    const std::string target = s.folder.filePath("Noodkopie-groot.wes").toStdString();
    bench::Samples samples(state);
    for (auto _ : state)
        samples.Time([&] { WriteFileAtomically(target, bytes); });
    state.counters["MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_CrashStateWrite10000Lines)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

} // namespace
} // namespace zelm
