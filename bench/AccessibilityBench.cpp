// The price of a listening screen reader: a keystroke on the 255-character line in a real line
// widget, with the accessibility bus inactive and active. Active, each keystroke also reads the
// line's UnicodeMath, sends the text and caret events and works out the caret's context.
#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

#include "Samples.h"
#include "editor/LineAccessible.h"
#include "editor/LineEditor.h"
#include "samples/KeystrokeWork.h"

namespace zelm::bench {
namespace {

// Backspace and "z" by turns at the end of the line, as key events to the line widget, each
// followed by a full paint: the line's text changes at every key.
void KeystrokeAccessibility(benchmark::State& state, bool active) {
    listeningOverride = active;
    const Formula f = LongLine();
    TMathEditor editor(nullptr);
    editor.SetFont(FontDesc{"Tahoma", -16}, 0);
    editor.SetPlainText(false);
    MathLine& line = editor.Line();
    RunSetter(line, f);
    line.Selstart = line.Seleinde = line.CaretPos = int(line.Text().size());
    QImage surface(std::max(line.NeededWidth, 480), std::max(line.ClientHeight, 24),
                   QImage::Format_RGB32);
    SpriteCache sprites;
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z");
    const auto keystroke = [&](QKeyEvent& key) {
        QCoreApplication::sendEvent(&editor, &key);
        PaintInto(surface, line, sprites);
        QCoreApplication::sendPostedEvents(&editor, QEvent::MetaCall);
    };
    keystroke(back);
    keystroke(z);
    Samples samples(state);
    bool second = false;
    for (auto _ : state) {
        QKeyEvent& key = second ? z : back;
        second = !second;
        samples.Time([&] { keystroke(key); });
    }
    state.counters["listening"] = Listening();
    state.counters["chars"] = double(line.Text().size());
    listeningOverride.reset();
}

BENCHMARK_CAPTURE(KeystrokeAccessibility, nested_255_inactive, false)
    ->UseManualTime()
    ->Iterations(SampleCount)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(KeystrokeAccessibility, nested_255_active, true)
    ->UseManualTime()
    ->Iterations(SampleCount)
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zelm::bench
