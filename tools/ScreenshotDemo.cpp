// Opens the editor's main window and types a demonstration document into it, key by key, as
// a user would; then selects a piece of the first line and writes a picture of the window to
// the file named on the command line.
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include "app/MainWindow.h"
#include "platform/Fonts.h"

namespace {

QWidget* Focused() {
    return QApplication::focusWidget();
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
    for (int i = 0; i < times; ++i)
        QTest::keyClick(Focused(), key, modifiers);
}

void Type(const char* text) {
    QTest::keyClicks(Focused(), text);
}

void TypeDocument() {
    // Formula mode; a bold function name, italic letters and a slanted fraction.
    Key(Qt::Key_T, Qt::ControlModifier);
    Type("y=sin(x)+1/2");
    // A fraction inside a grown bracket.
    Key(Qt::Key_Return);
    Type("f(x)=");
    Key(Qt::Key_0, Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::AltModifier);
    Type("a+b");
    Key(Qt::Key_Down);
    Type("c");
    // A root with an index.
    Key(Qt::Key_Return);
    Type("r=");
    Key(Qt::Key_Up, Qt::ControlModifier);
    Key(Qt::Key_Left);
    Type("3");
    Key(Qt::Key_Right);
    Type("x+1");
    // An integral from 0 to x with a power in the integrand.
    Key(Qt::Key_Return);
    Key(Qt::Key_I, Qt::ControlModifier);
    Type("t");
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Type("2");
    Key(Qt::Key_End);
    // A power over an index, Greek letters and pi.
    Key(Qt::Key_Return);
    Type("a");
    Key(Qt::Key_I, Qt::ShiftModifier | Qt::AltModifier);
    Key(Qt::Key_2, Qt::ShiftModifier | Qt::ControlModifier);
    Type("+");
    Key(Qt::Key_ScrollLock);
    Type("a");
    Type("+");
    Key(Qt::Key_ScrollLock);
    Type("b=2");
    Key(Qt::Key_P, Qt::ControlModifier);
    Type("r");
    // An underlined piece and a marked (coloured) piece.
    Key(Qt::Key_Return);
    Type("onderstreept");
    Key(Qt::Key_Left, Qt::ShiftModifier, 12);
    Key(Qt::Key_Minus, Qt::ControlModifier);
    Key(Qt::Key_End);
    Type(" en gemarkeerd");
    Key(Qt::Key_Left, Qt::ShiftModifier, 10);
    Key(Qt::Key_M, Qt::ControlModifier);
}

// In the first line, select "sin(x)" with the keyboard.
void SelectInFirstLine(zelm::TBasisMath& window) {
    window.Lines().front()->setFocus();
    Key(Qt::Key_Home);
    Key(Qt::Key_Right, Qt::NoModifier, 2);
    Key(Qt::Key_Right, Qt::ShiftModifier, 4);
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
