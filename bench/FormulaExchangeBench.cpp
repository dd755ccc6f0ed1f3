// Times the written forms of a line: its structure model and the LaTeX or MathML written from
// it, on the 255-character line as the setter leaves it (names recognised).
#include <benchmark/benchmark.h>

#include "Samples.h"
#include "exchange/MathWriters.h"
#include "samples/KeystrokeWork.h"

namespace zelm::bench {
namespace {

template <class Write> void Written(benchmark::State& state, const Formula& f, Write write) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480);
    RunSetter(line, f);
    Samples samples(state);
    std::size_t bytes = 0;
    for (auto _ : state)
        samples.Time([&] {
            const std::string out = write(BuildTree(line.Text(), line.Codes(), false));
            bytes = out.size();
            benchmark::DoNotOptimize(out.data());
        });
    state.counters["chars"] = double(line.Text().size());
    state.counters["bytes_out"] = double(bytes);
}

void Latex(benchmark::State& state, const Formula& f) {
    Written(state, f, [](const MathTree& t) { return ToLatex(t); });
}
void MathML(benchmark::State& state, const Formula& f) {
    Written(state, f, [](const MathTree& t) { return ToMathML(t); });
}

BENCHMARK_CAPTURE(Latex, nested_255, LongLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(MathML, nested_255, LongLine())
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);

} // namespace
} // namespace zelm::bench
