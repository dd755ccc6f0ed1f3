// "JPG" of a window of 40 lines, and "--export" of documents of 1,000 and 20,000 lines to PNG and
// SVG as the user runs it (the program started as a process, no display). Each repetition is one
// sample; the median and the 99th percentile of the samples are reported, for the large document
// with the program's peak memory beside them. With ZELM_BEFORE_BINARY set to another build of
// the program, the large document is exported by that one too, in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <memory>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/MainWindow.h"
#include "files/FileIO.h"
#include "samples/BenchDocuments.h"

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
    window.Document().Load(document);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.Pictures().desktopFolder = folder.filePath("Bureaublad");
    const QString old = QDir::currentPath();
    QDir::setCurrent(folder.path());
    for (auto _ : state)
        window.Pictures().MjpgClick();
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

// One export as a child process under a 6 GB ceiling of address space (a run that would take
// more fails instead of swallowing the machine); its peak memory in MB, or -1 when it failed.
double ExportPeakMb(const QByteArray& program, const QString& out, const QString& document) {
    const QByteArray o = out.toLocal8Bit(), d = document.toLocal8Bit();
    char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--export"),
                          const_cast<char*>(o.constData()), const_cast<char*>(d.constData()),
                          nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit ceiling{6L << 30, 6L << 30};
        ::setrlimit(RLIMIT_AS, &ceiling);
        ::unsetenv("DISPLAY");
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return double(usage.ru_maxrss) / 1024;
}

void ExportLargeDocument(benchmark::State& state, QByteArray program, const char* suffix) {
    QTemporaryDir folder;
    const QString document = folder.filePath("groot.mds");
    WriteFileAtomically(document.toStdString(), bench::MakeDocument(20000, 24));
    double peak = 0;
    for (auto _ : state) {
        peak = ExportPeakMb(program, folder.filePath(QString("groot.") + suffix), document);
        if (peak < 0) state.SkipWithError("export failed");
    }
    state.counters["peak_MB"] = peak;
}

void RegisterLargeExports() {
    std::vector<std::pair<std::string, QByteArray>> programs{{"after", ZELM_EDITOR_BINARY}};
    if (!qEnvironmentVariableIsEmpty("ZELM_BEFORE_BINARY"))
        programs.push_back({"before", qgetenv("ZELM_BEFORE_BINARY")});
    for (const auto& [when, program] : programs)
        for (const char* suffix : {"png", "svg"})
            benchmark::RegisterBenchmark(
                ("BM_Export20000Lines/" + std::string(suffix) + "/" + when).c_str(),
                ExportLargeDocument, program, suffix)
                ->Unit(benchmark::kSecond)
                ->Iterations(1)
                ->Repetitions(5)
                ->ComputeStatistics("p99", P99)
                ->ReportAggregatesOnly(true);
}

const bool largeExportsRegistered = (RegisterLargeExports(), true);

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
