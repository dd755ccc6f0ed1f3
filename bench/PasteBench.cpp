// Times pasting a formula into a line: reading a 200-character LaTeX formula (and the MathML of
// the same structures), putting its structures in at the caret, and the one setter run, with
// the real fonts. Beside it the setter alone on the line the paste makes, for comparison.
#include <benchmark/benchmark.h>

#include "Samples.h"
#include "exchange/MathReaders.h"
#include "exchange/MathWriters.h"
#include "exchange/PasteFormula.h"
#include "samples/KeystrokeWork.h"

namespace zelm::bench {
namespace {

/// Formula pieces with every kind of structure, repeated to 200 characters.
std::string Latex200() {
    const std::string piece = "\\frac{a+b}{\\sqrt[3]{x^{2}+1}}+\\int_{0}^{1}\\sin x\\,\\mathrm{d}x+"
                              "\\left(\\sum_{k=1}^{n}k^{2}\\right)+\\log_{2}\\alpha+";
    std::string latex;
    while (latex.size() + piece.size() <= 200)
        latex += piece;
    latex.resize(200, 'y');
    return latex;
}

/// A blank line with the caret behind its blank, as before each paste.
void Blank(MathLine& line) {
    line.SetCodes({});
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.SetText(" ");
}

void Paste(benchmark::State& state, bool mathml) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    std::string input = Latex200();
    if (mathml) input = ToMathML(MathTree{ReadLatex(input)->row, false});
    Samples samples(state);
    for (auto _ : state) {
        Blank(line);
        samples.Time([&] {
            const std::optional<ReadResult> read = mathml ? ReadMathML(input) : ReadLatex(input);
            benchmark::DoNotOptimize(InsertStructures(line, read->row));
        });
    }
    state.counters["input_chars"] = double(input.size());
    state.counters["line_chars"] = double(line.Text().size());
}

void SetterOfPastedLine(benchmark::State& state) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    Blank(line);
    InsertStructures(line, ReadLatex(Latex200())->row);
    const Formula pasted{line.Text(), line.Codes()};
    Samples samples(state);
    for (auto _ : state)
        samples.Time([&] { RunSetter(line, pasted); });
    state.counters["line_chars"] = double(pasted.text.size());
}

BENCHMARK_CAPTURE(Paste, latex_200, false)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK_CAPTURE(Paste, mathml_of_latex_200, true)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);
BENCHMARK(SetterOfPastedLine)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(SampleCount);

} // namespace
} // namespace zelm::bench
