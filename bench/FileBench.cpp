// Saving and loading a document of 10,000 lines, and splitting its first line with Enter,
// which first stores the whole document as a recovery state.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>

#include <memory>

#include "BenchDocuments.h"
#include "app/DocumentCodec.h"
#include "app/MathEdit.h"
#include "platform/FileIO.h"

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
        window->Load(document);
        Settle();
    }
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
        s.window->Save(target);
    state.counters["lines"] = double(s.window->Lines().size());
}

void BM_Load10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    for (auto _ : state) {
        s.window->Load(s.document);
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
        s.window->Load(s.document);
        Settle();
    }
}

void BM_SplitFirstOf10000Lines(benchmark::State& state) {
    Setting& s = Shared();
    s.window->Load(s.document);
    Settle();
    for (auto _ : state) {
        state.PauseTiming();
        TMathEditor* first = s.window->Lines().front();
        first->Line().SetCodes({});
        first->SetText(" a+b=c");
        first->Line().CaretPos = 2; // between a and +
        state.ResumeTiming();
        int key = 13;
        s.window->FormKeyDown(*first, key, {});
        state.PauseTiming();
        Settle();
        s.window->HerstelNummer = 0; // one recovery file, written again each time
        state.ResumeTiming();
    }
    state.counters["lines"] = double(s.window->Lines().size());
}

// Enter as the user sees it: until the window has painted the lines again.
void BM_SplitFirstOf10000LinesPainted(benchmark::State& state) {
    Setting& s = Shared();
    s.window->Load(s.document);
    Settle();
    for (auto _ : state) {
        state.PauseTiming();
        TMathEditor* first = s.window->Lines().front();
        first->Line().SetCodes({});
        first->SetText(" a+b=c");
        first->Line().CaretPos = 2;
        Settle();
        state.ResumeTiming();
        int key = 13;
        s.window->FormKeyDown(*first, key, {});
        Settle();
        state.PauseTiming();
        s.window->HerstelNummer = 0;
        state.ResumeTiming();
    }
}

BENCHMARK(BM_Save10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Load10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->Iterations(3);
BENCHMARK(BM_Load10000LinesSettled)->Unit(benchmark::kMillisecond)->Repetitions(3)->Iterations(1);
BENCHMARK(BM_SplitFirstOf10000Lines)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_SplitFirstOf10000LinesPainted)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace
} // namespace zelm
