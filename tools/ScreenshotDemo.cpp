// Opens the editor's main window with a document of formula lines built in code, selects a
// piece of one line, and writes a picture of the window to the file named on the command line.
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "app/MathEdit.h"
#include "formula/DeclMath.h"
#include "platform/Platform.h"

namespace {

using zelm::Bytes;
using zelm::StructKind;

struct Line {
    Bytes text = " ";
    Bytes codes;
    Line& Plain(const Bytes& s) {
        text += s;
        return *this;
    }
    Line& Code(StructKind k) {
        text += zelm::Code::Structure;
        codes += zelm::KindByte(k);
        return *this;
    }
    Line& Greek(char c) {
        text += zelm::Code::Symbol;
        codes += c;
        return *this;
    }
};

std::vector<Line> DemoDocument() {
    using K = StructKind;
    std::vector<Line> lines;
    // A bold function name, italic letters and a slanted fraction.
    lines.push_back(Line{}.Plain("y=sin(x)+").Code(K::Slanted).Plain("1").Code(K::Slash).Plain("2").Code(K::SlantedEnd));
    // A fraction inside grown brackets, and a root with an index.
    lines.push_back(Line{}.Plain("f(x)=").Code(K::Bracket).Code(K::Fraction).Plain("a+b").Code(K::FractionBar)
                        .Plain("c").Code(K::FractionEnd).Code(K::BracketEnd).Plain("+").Code(K::Root).Plain("3")
                        .Code(K::Separator).Plain("x+1").Code(K::RootEnd));
    // An integral and a sum with both limits.
    lines.push_back(Line{}.Code(K::Integral).Plain("0").Code(K::Separator).Plain("x").Code(K::Separator)
                        .Plain("t").Code(K::Power).Plain("2").Code(K::PowerEnd).Code(K::D21).Plain("t = ")
                        .Code(K::Sum).Plain("k=1").Code(K::Separator).Plain("n").Code(K::Separator).Plain("k"));
    // A power over an index, Greek letters and pi.
    lines.push_back(Line{}.Plain("a").Code(K::Index).Plain("i").Code(K::IndexEnd).Code(K::Power).Plain("2")
                        .Code(K::PowerEnd).Plain(" + ").Greek('a').Plain(" ").Greek('b').Plain(" = 2").Code(K::Pi)
                        .Plain("r"));
    // An underlined and a coloured piece, and the log with a base.
    lines.push_back(Line{}.Code(K::Underline).Plain("onderstreept").Code(K::Underline).Plain(" en ")
                        .Code(K::Colour).Plain("gemarkeerd").Code(K::Colour).Plain(" log8=3"));
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("TextverwerkerZelm");
    zelm::RegisterProgramFonts();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "screenshot.png";

    zelm::TBasisMath window(QString(), [](const QString&) {});
    zelm::EditorState().plainTextDefault = false;
    const std::vector<Line> lines = DemoDocument();
    zelm::TMathEditor* previous = nullptr;
    for (const Line& l : lines) {
        zelm::TMathEditor* line = previous ? window.InsertLineBelow(*previous) : window.Lines().front();
        line->SetPlainText(false);
        line->Line().SetCodes(l.codes);
        line->SetText(l.text);
        previous = line;
    }
    // Select "sin(x)" in the first line.
    zelm::TMathEditor* first = window.Lines().front();
    first->setFocus();
    zelm::MathLine& m = first->Line();
    m.Selstart = 3;
    m.Seleinde = 7;
    m.CaretPos = 7;
    m.TextToDisplay();
    first->PlaceCaret();

    QTimer::singleShot(800, [&] {
        window.grab().save(out);
        app.quit();
    });
    return app.exec();
}
