// Runs single keystrokes on the 255-character line of nested structures (the setter and a full
// paint into an image, as the benchmarks time them) for callgrind to count: the instructions of
// a keystroke do not depend on the speed of the machine, so CI can guard them.
// Usage: zelm_keystroke_count KEYSTROKES
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <valgrind/callgrind.h>

#include "platform/Fonts.h"
#include "samples/KeystrokeWork.h"

using namespace zelm;

/// The counted part: callgrind collects inside this function only (--toggle-collect).
extern "C" __attribute__((noinline)) void zelm_counted_keystrokes(MathLine& line, QImage& surface,
                                                                  SpriteCache& sprites,
                                                                  const bench::Formula& f,
                                                                  int keystrokes) {
    for (int i = 0; i < keystrokes; ++i) {
        bench::RunSetter(line, f);
        bench::PaintInto(surface, line, sprites);
    }
}

int main(int argc, char** argv) {
    const int keystrokes = argc > 1 ? std::atoi(argv[1]) : 0;
    if (keystrokes <= 0) {
        std::fprintf(stderr, "usage: %s KEYSTROKES\n", argv[0]);
        return 2;
    }
    // Starting Qt is not counted, and under callgrind it runs uninstrumented (fast).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterProgramFonts();
    CALLGRIND_START_INSTRUMENTATION;
    const bench::Formula f = bench::LongLine();
    QtCanvas measure(FontDesc{"Tahoma", -16});
    MathLine line(measure, 480, FontSmoothingOn());
    bench::RunSetter(line, f);
    QImage surface(std::max(line.NeededWidth, 480), std::max(line.ClientHeight, 24),
                   QImage::Format_RGB32);
    // The first keystrokes resolve the fonts and fill the glyph caches, as a running program
    // did long before.
    SpriteCache sprites;
    for (int i = 0; i < 5; ++i) {
        bench::RunSetter(line, f);
        bench::PaintInto(surface, line, sprites);
    }
    zelm_counted_keystrokes(line, surface, sprites, f, keystrokes);
    CALLGRIND_STOP_INSTRUMENTATION;
    std::printf("%d keystrokes, %d parts\n", keystrokes, line.PartCount());
    return 0;
}
