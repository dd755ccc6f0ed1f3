// Times the work of one keystroke with the real fonts: the Text setter (name recognition,
// italics, layout) alone, and the setter followed by a full paint into an offscreen image.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "Samples.h"
#include "samples/KeystrokeWork.h"

namespace zelm::bench {
namespace {

void Setter(benchmark::State& state, const Formula& f) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    RunSetter(line, f);
    Samples samples(state);
    for (auto _ : state)
        samples.Time([&] {
            RunSetter(line, f);
            benchmark::DoNotOptimize(line.PartCount());
        });
    state.counters["parts"] = line.PartCount();
    state.counters["chars"] = double(f.text.size());
}

// Keystrokes on one line; with `then`, they alternate between `f` and `then`, as typing a
// character and taking it back does, so that a run changes at every key. `zoom` is the
// window's zoom in percent: the line is laid out and painted that much larger.
void Keystroke(benchmark::State& state, const Formula& f, int pixels = 16,
               const Formula* then = nullptr, int zoom = 100) {
    QtCanvas measure(FontDesc{"Tahoma", -pixels});
    MathLine line(measure, 480, FontSmoothingOn());
    line.SetZoom(zoom);
    if (then) RunSetter(line, *then); // the wider of the two sizes the surface
    const int width = line.NeededWidth;
    RunSetter(line, f);
    QImage surface(std::max({line.NeededWidth, width, 480}), std::max(line.ClientHeight, 24),
                   QImage::Format_RGB32);
    SpriteCache sprites;
    PaintInto(surface, line, sprites); // the glyph caches are warm, as in a running program
    Samples samples(state);
    bool second = false;
    for (auto _ : state) {
        const Formula& typed = then && second ? *then : f;
        second = !second;
        samples.Time([&] {
            RunSetter(line, typed);
            PaintInto(surface, line, sprites);
        });
    }
}

// At the largest font size, with the peak memory of the process: run on its own
// (--benchmark_filter=1638) for the figure to be this benchmark's.
void KeystrokeLargest(benchmark::State& state, const Formula& f, const Formula& then) {
    Keystroke(state, f, LargestFontPixels, &then);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024;
}

BENCHMARK_CAPTURE(Setter, short_line, ShortLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(Setter, nested_255, LongLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(Keystroke, short_line, ShortLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(Keystroke, nested_255, LongLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(Keystroke, nested_255_zoom_400, LongLine(), 16, nullptr, 400)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
// At the largest font size one line fills a surface of thousands of pixels each way: fewer
// samples, so that the run ends when a keystroke takes seconds. "c" typed and taken back.
BENCHMARK_CAPTURE(KeystrokeLargest, bracket_1638pt, BracketedSum("a+b"), BracketedSum("a+bc"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(30);

} // namespace
} // namespace zelm::bench
