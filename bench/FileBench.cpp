// Saving and loading a document of 10,000 lines, splitting its first line with Enter, which
// first stores the whole document as a recovery state, scrolling through it, and one crash
// save of it in its two parts: the bytes made on the window's thread (what typing waits for,
// once per pause) and the atomic write with its fsyncs on the writer's thread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "Samples.h"
#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "formula/LineKeys.h"
#include "samples/BenchDocuments.h"

namespace zelm {
namespace {

constexpr int DocumentLines = 10000;

// Lets the window finish what loading left for the event loop: the removed lines are
// destroyed and the window fits itself to the new ones.
void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Setting {
    QTemporaryDir folder;
    QString document = folder.filePath("groot.mds");
    std::unique_ptr<TBasisMath> window;

    Setting() {
        WriteFileAtomically(document.toStdString(), bench::MakeDocument(DocumentLines, 20));
        window = std::make_unique<TBasisMath>(folder.path(), [](const QString&) {});
        // The window is on the screen once the platform says so; until then Qt paints nothing.
        QApplication::processEvents();
        window->Document().Load(document);
        Settle();
    }
};

// The wall and CPU time of every single Enter, reported as their median and 99th percentile
// beside Google Benchmark's means.
class EnterSamples {
public:
    explicit EnterSamples(benchmark::State& state) : state_(state) {}
    EnterSamples(const EnterSamples&) = delete;
    EnterSamples& operator=(const EnterSamples&) = delete;
    ~EnterSamples() {
        Report("wall", wall_);
        Report("cpu", cpu_);
    }

    /// Runs `work` once and records its wall and CPU time.
    template <class Work> void Time(Work&& work) {
        const auto wall0 = std::chrono::steady_clock::now();
        const double cpu0 = CpuSeconds();
        work();
        cpu_.push_back(CpuSeconds() - cpu0);
        wall_.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count());
    }

private:
    static double CpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }

    void Report(const std::string& name, std::vector<double>& samples) {
        if (samples.empty()) return;
        std::sort(samples.begin(), samples.end());
        const auto at = [&](double q) {
            return samples[std::size_t(q * double(samples.size() - 1) + 0.5)] * 1e3;
        };
        state_.counters[name + "_p50_ms"] = at(0.50);
        state_.counters[name + "_p99_ms"] = at(0.99);
    }

    benchmark::State& state_;
    std::vector<double> wall_, cpu_;
};

// Made on first use; its window goes while the application still exists.
std::unique_ptr<Setting> shared;

Setting& Shared() {
    if (!shared) {
        shared = std::make_unique<Setting>();
        qAddPostRoutine([] { shared.reset(); });
    }
    return *shared;
}

void BM_Save10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    const QString target = s.folder.filePath("bewaard.mds");
    for (auto _ : state)
        s.window->Document().Save(target);
    state.counters["lines"] = double(s.window->Lines().size());
}

void BM_Load10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        s.window->Document().Load(s.document);
        state.PauseTiming();
        Settle();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(s.window->Lines().size());
}

// Loading as the user waits for it: until the event loop has done the work loading left.
void BM_Load10000LinesSettled(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        s.window->Document().Load(s.document);
        Settle();
    }
}

// The shared window with the document loaded anew, the lines that earlier runs added gone.
Setting& FreshDocument() {
    Setting& s = Shared();
    s.window->Document().Load(s.document);
    Settle();
    return s;
}

// The first line made " a+b=c" again, its caret between a and +, ready for Enter.
TMathEditor* LineToSplit(TBasisMath& window) {
    TMathEditor* first = window.Lines().front();
    first->Line().SetCodes({});
    first->SetText(" a+b=c");
    first->Line().CaretPos = 2;
    return first;
}

void BM_SplitFirstOf10000Lines(benchmark::State& state) {
    Setting& s = FreshDocument();
    EnterSamples samples(state);
    for (auto _ : state) {
        state.PauseTiming();
        TMathEditor* first = LineToSplit(*s.window);
        state.ResumeTiming();
        int key = 13;
        samples.Time([&] { SplitOrJoin(first->Line(), key); });
        state.PauseTiming();
        Settle();
        s.window->HerstelNummer = 0; // one recovery file, written again each time
        state.ResumeTiming();
    }
    state.counters["lines"] = double(s.window->Lines().size());
}

// Enter as the user sees it: until the window has painted the lines again.
void BM_SplitFirstOf10000LinesPainted(benchmark::State& state) {
    Setting& s = FreshDocument();
    EnterSamples samples(state);
    for (auto _ : state) {
        state.PauseTiming();
        TMathEditor* first = LineToSplit(*s.window);
        Settle();
        state.ResumeTiming();
        int key = 13;
        samples.Time([&] {
            SplitOrJoin(first->Line(), key);
            Settle();
        });
        state.PauseTiming();
        s.window->HerstelNummer = 0;
        state.ResumeTiming();
    }
}

// Scrolling a page through the middle of the column as the user sees it: until the window has
// painted the lines that came into view (painted at once: Qt would wait for the next frame).
void BM_ScrollPage10000Lines(benchmark::State& state) {
    Setting& s = FreshDocument();
    QScrollBar* bar = qobject_cast<QScrollArea*>(s.window->centralWidget())->verticalScrollBar();
    const int middle = bar->maximum() / 2;
    bar->setValue(middle);
    Settle();
    EnterSamples samples(state);
    bool down = true;
    for (auto _ : state) {
        samples.Time([&] {
            bar->setValue(middle + (down ? bar->pageStep() : 0));
            Settle();
            s.window->repaint();
        });
        down = !down;
    }
}

void BM_CrashStateEncode10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    bench::Samples samples(state);
    for (auto _ : state) {
        samples.Time([&] {
            bool cutLine = false;
            benchmark::DoNotOptimize(s.window->Document().Encoded(cutLine));
        });
    }
    state.counters["lines"] = double(s.window->Lines().size());
}

void BM_CrashStateWrite10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    bool cutLine = false;
    const std::string bytes = s.window->Document().Encoded(cutLine);
    const std::string target = s.folder.filePath("Noodkopie-groot.wes").toStdString();
    bench::Samples samples(state);
    for (auto _ : state)
        samples.Time([&] { WriteFileAtomically(target, bytes); });
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

BENCHMARK(BM_Save10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Load10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->Iterations(3);
BENCHMARK(BM_Load10000LinesSettled)->Unit(benchmark::kMillisecond)->Repetitions(3)->Iterations(1);
BENCHMARK(BM_SplitFirstOf10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_SplitFirstOf10000LinesPainted)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ScrollPage10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_CrashStateEncode10000Lines)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK(BM_CrashStateWrite10000Lines)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

} // namespace
} // namespace zelm
