// Times the work of one keystroke with the real fonts: the Text setter (name recognition,
// italics, layout) alone, and the setter followed by a full paint into an offscreen image.
#include <QImage>
#include <benchmark/benchmark.h>

#include "formula/DeclMath.h"
#include "formula/MathLine.h"
#include "formula/Painter.h"
#include "platform/QtCanvas.h"

namespace zelm {
namespace {

struct Formula {
    Bytes text;
    Bytes codes;
};

// Appends a structure code of kind k.
void Code(Formula& f, StructKind k) {
    f.text += Code::Structure;
    f.codes += KindByte(k);
}

// " y=sin(x)+1/2": a name, letters and a slanted fraction, as typed.
Formula ShortLine() {
    Formula f{" y=sin(x)+", {}};
    Code(f, StructKind::Slanted);
    f.text += "1";
    Code(f, StructKind::Slash);
    f.text += "2";
    Code(f, StructKind::SlantedEnd);
    return f;
}

// One group of nested structures: a bracket around a fraction whose numerator holds a power
// over an index and whose denominator holds a root with an index, then a "log" base and a sum.
void NestedGroup(Formula& f) {
    Code(f, StructKind::Bracket);
    Code(f, StructKind::Fraction);
    f.text += "x";
    Code(f, StructKind::Index);
    f.text += "i";
    Code(f, StructKind::IndexEnd);
    Code(f, StructKind::Power);
    f.text += "2";
    Code(f, StructKind::PowerEnd);
    f.text += "+cos a";
    Code(f, StructKind::FractionBar);
    Code(f, StructKind::Root);
    f.text += "3";
    Code(f, StructKind::Separator);
    f.text += "y+1";
    Code(f, StructKind::RootEnd);
    Code(f, StructKind::FractionEnd);
    Code(f, StructKind::BracketEnd);
    f.text += "+";
    Code(f, StructKind::Sum);
    f.text += "k=1";
    Code(f, StructKind::Separator);
    f.text += "n";
    Code(f, StructKind::Separator);
    f.text += "k ";
}

// A line of exactly 255 characters made of nested groups, padded with plain text.
Formula LongLine() {
    Formula f{" ", {}};
    while (true) {
        Formula next = f;
        NestedGroup(next);
        if (next.text.size() > 255) break;
        f = next;
    }
    while (f.text.size() < 255)
        f.text += "z";
    return f;
}

// One keystroke's setter run on a line in formula mode (the code string is reset first, since
// recognition replaces the names).
void RunSetter(MathLine& line, const Formula& f) {
    line.SetCodes(f.codes);
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.SetText(f.text);
}

void Setter(benchmark::State& state, const Formula& f) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    RunSetter(line, f);
    for (auto _ : state) {
        RunSetter(line, f);
        benchmark::DoNotOptimize(line.PartCount());
    }
    state.counters["parts"] = line.PartCount();
    state.counters["chars"] = double(f.text.size());
}

void Keystroke(benchmark::State& state, const Formula& f) {
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    RunSetter(line, f);
    QImage surface(std::max(line.NeededWidth, 480), std::max(line.ClientHeight, 24),
                   QImage::Format_RGB32);
    for (auto _ : state) {
        RunSetter(line, f);
        QtCanvas canvas(surface, line.BaseFont());
        LinePaintInput in;
        in.parts = &line.PartList();
        in.partCount = line.PartCount();
        in.cursief = &line.Cursieftext();
        in.baseFont = line.BaseFont();
        in.textColor = line.fontColor;
        in.bkColor = line.bkColor;
        in.dispSelStart = line.DispSelStart;
        in.dispSelEnd = line.DispSelEnd;
        in.client = Rect{0, 0, surface.width(), surface.height()};
        EditorState().eraseBackground = true;
        PaintLine(canvas, in);
    }
}

BENCHMARK_CAPTURE(Setter, short_line, ShortLine())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Setter, nested_255, LongLine())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Keystroke, short_line, ShortLine())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Keystroke, nested_255, LongLine())->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zelm
