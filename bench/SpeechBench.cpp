// Times the Dutch speech of a line as the screen reader asks for it after a keystroke: the
// structure tree of the line as the setter left it, then its reading and the caret's context.
#include <benchmark/benchmark.h>

#include "Samples.h"
#include "exchange/Speech.h"
#include "samples/KeystrokeWork.h"

namespace zelm::bench {
namespace {

// With `withTree` the tree is built in every sample, as a change of the line needs; without,
// only the words are timed.
void Speak(benchmark::State& state, const Formula& f, bool withTree) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    RunSetter(line, f); // names recognised, as a typed line holds them
    Samples samples(state);
    std::size_t length = 0;
    const MathTree built = BuildTree(line.Text(), line.Codes(), line.PlainText());
    for (auto _ : state)
        samples.Time([&] {
            MathTree fresh;
            if (withTree) fresh = BuildTree(line.Text(), line.Codes(), line.PlainText());
            const MathTree& tree = withTree ? fresh : built;
            const std::string speech = SpeakLine(tree);
            const std::string context = SpeakContextChange(tree, 40, 41);
            length = speech.size() + context.size();
            benchmark::DoNotOptimize(length);
        });
    state.counters["chars"] = double(line.Text().size());
    state.counters["speech_bytes"] = double(length);
}

BENCHMARK_CAPTURE(Speak, short_line, ShortLine(), true)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(5000);
BENCHMARK_CAPTURE(Speak, nested_255, LongLine(), true)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(5000);
BENCHMARK_CAPTURE(Speak, nested_255_words_only, LongLine(), false)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(5000);

} // namespace
} // namespace zelm::bench
