// Opens the editor's main window and types a demonstration document into it, key by key, as
// a user would; then selects a piece of the first line and writes a picture of the window to
// the file named on the command line.
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <string>

#include "app/MainWindow.h"
#include "platform/Fonts.h"
#include "support/KeyScriptQt.h"

namespace {

using zelm::test::ClickKeys;

/// `key` `times` times over, as a key script.
std::string Times(int times, const std::string& key) {
    std::string script;
    for (int i = 0; i < times; ++i)
        script += key;
    return script;
}

void TypeDocument() {
    // Formula mode; a bold function name, italic letters and a slanted fraction.
    ClickKeys(nullptr, "{C-T}y=sin(x)+1/2");
    // A fraction inside a grown bracket.
    ClickKeys(nullptr, "{Enter}f(x)={C-0}{A-Up}a+b{Down}c");
    // A root with an index.
    ClickKeys(nullptr, "{Enter}r={C-Up}{Left}3{Right}x+1");
    // An integral from 0 to x with a power in the integrand.
    ClickKeys(nullptr, "{Enter}{C-I}t{S-Up}2{End}");
    // A power over an index, Greek letters and pi.
    ClickKeys(nullptr, "{Enter}a{SA-I}{CS-2}+{Scroll}a+{Scroll}b=2{C-P}r");
    // An underlined piece and a marked (coloured) piece.
    ClickKeys(nullptr, "{Enter}onderstreept" + Times(12, "{S-Left}") + "{C-Minus}{End}");
    ClickKeys(nullptr, " en gemarkeerd" + Times(10, "{S-Left}") + "{C-M}");
}

// In the first line, select "sin(x)" with the keyboard.
void SelectInFirstLine(zelm::TBasisMath& window) {
    window.Lines().front()->setFocus();
    ClickKeys(nullptr, "{Home}{Right}{Right}" + Times(4, "{S-Right}"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("TextverwerkerZelm");
    zelm::RegisterProgramFonts();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "screenshot.png";

    zelm::TBasisMath window(QString(), [](const QString&) {});
    // Without a window manager nothing activates the window; the keys need it active.
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    QApplication::setActiveWindow(&window);
    window.Lines().front()->setFocus();
    TypeDocument();
    SelectInFirstLine(window);

    QTimer::singleShot(800, [&] {
        window.grab().save(out);
        app.quit();
    });
    return app.exec();
}
