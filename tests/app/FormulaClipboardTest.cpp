// Formulas on the system clipboard: Ctrl+Alt+C puts a line or its selection there in five
// flavours, Ctrl+Alt+V takes LaTeX or MathML from there into a line, the document's "LaTeX"
// and "MathML" items put every line there. The lines' own Ctrl+C and Ctrl+V keep to the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/MainWindow.h"
#include "formula/MathWriters.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

using test::B;
using test::kStruct;
using test::P;

class FormulaClipboard : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    QTemporaryDir programDir;
    std::unique_ptr<TBasisMath> window;
    int beeps = 0;

    void SetUp() override {
        window = std::make_unique<TBasisMath>(programDir.path(), [](const QString&) {});
        window->showError = [](const QString& m) { ADD_FAILURE() << m.toStdString(); };
        TMathEditor::beep = [this] { ++beeps; };
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        Line().setFocus();
        QApplication::processEvents();
    }
    void TearDown() override { TMathEditor::beep = nullptr; }

    TMathEditor& Line() { return *window->Lines()[0]; }
    /// " x+" and the fraction 1 over 2, in formula mode, the caret at the end.
    void SetFraction() {
        Line().SetPlainText(false);
        Line().Line().SetCodes(B({P(15), P(16), P(17)}));
        Line().SetText(B({" x+", kStruct, "1", kStruct, "2", kStruct}));
        MathLine& m = Line().Line();
        m.Selstart = m.Seleinde = m.CaretPos = int(m.Text().size());
    }
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    /// The line's LaTeX without spaces.
    std::string Latex() {
        const MathLine& m = Line().Line();
        std::string latex = ToLatex(BuildTree(m.Text(), m.Codes(), m.PlainText()));
        std::erase(latex, ' ');
        return latex;
    }
    static QByteArray Flavour(const char* type) {
        return QGuiApplication::clipboard()->mimeData()->data(type);
    }
};

TEST_F(FormulaClipboard, CtrlAltCPutsTheLineOrItsSelectionInFiveFlavours) {
    SetFraction();
    const Bytes text = Line().Text();
    struct Row {
        int from, to;       // the selection; equal for none
        const char* latex;  // text/plain
        const char* mathml; // in each MathML flavour
        const char* unicodeMath;
    } rows[] = {
        {5, 5, "x+\\frac{1}{2}", "<mfrac>", "x+1/2"},
        {2, 6, "+\\frac{1}{2}", "<mfrac>", "+1/2"}, // into the fraction: all of it
        {6, 7, "2", "<mn>2</mn>", "2"},             // inside the denominator
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.latex);
        MathLine& m = Line().Line();
        m.Selstart = row.from;
        m.Seleinde = row.to;
        Keys(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        for (const char* type : {"text/plain", "text/html", "application/mathml+xml",
                                 "application/mathml-presentation+xml", "text/x-unicodemath"})
            EXPECT_TRUE(data->hasFormat(type)) << type;
        EXPECT_EQ(Flavour("text/plain").trimmed().replace(" ", ""), row.latex);
        EXPECT_TRUE(Flavour("text/html").startsWith("<math"));
        for (const char* type : {"application/mathml+xml", "application/mathml-presentation+xml"}) {
            EXPECT_TRUE(Flavour(type).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
            EXPECT_TRUE(Flavour(type).contains(row.mathml)) << Flavour(type).toStdString();
        }
        const QString unicodeMath = QString::fromUtf8(Flavour("text/x-unicodemath"));
        EXPECT_EQ(unicodeMath.simplified().remove(' ').remove('(').remove(')'), row.unicodeMath);
        EXPECT_EQ(Line().Text(), text) << "the line is left as it was";
    }
    // The line's own copy keeps to the window's clipboard.
    QGuiApplication::clipboard()->setText("elders");
    Keys(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(window->CopiedText, "2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "elders");
}

TEST_F(FormulaClipboard, CtrlAltVPastesLatexAndMathMLOrRefusesWithABeep) {
    struct Row {
        const char* type;
        QByteArray content;
        const char* latex; // the line afterwards; empty: unchanged
        int beeps;
    } rows[] = {
        {"text/plain", "$\\frac{a}{\\sqrt{b}}$", "\\frac{a}{\\sqrt{b}}", 0},
        {"application/mathml+xml",
         "<?xml version=\"1.0\"?><math xmlns=\"http://www.w3.org/1998/Math/MathML\"><msup>"
         "<mi>x</mi><mn>2</mn></msup></math>",
         "x^{2}", 0},
        {"text/plain", "\\mathbb{R}", "R", 1},         // lossy
        {"text/plain", QByteArray(70000, 'x'), "", 1}, // too long; then too deep
        {"text/plain", QByteArray("\\sqrt{").repeated(40) + "x" + QByteArray(40, '}'), "", 1},
    };
    Line().SetPlainText(false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content.left(40).toStdString());
        Line().Line().SetCodes({});
        Line().SetText(" ");
        MathLine& m = Line().Line();
        m.Selstart = m.Seleinde = m.CaretPos = 1;
        auto* data = new QMimeData;
        data->setData(row.type, row.content);
        QGuiApplication::clipboard()->setMimeData(data);
        beeps = 0;
        Keys(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(beeps, row.beeps);
        EXPECT_EQ(CountCodeChars(m.Text()), int(m.Codes().size()));
        if (*row.latex)
            EXPECT_NE(Latex().find(row.latex), std::string::npos) << Latex();
        else
            EXPECT_EQ(m.Text(), " ");
    }
}

TEST_F(FormulaClipboard, TheDocumentItemsPutEveryLineOnTheClipboard) {
    SetFraction();
    window->Nieuweregel1->trigger();
    window->Lines()[1]->SetPlainText(false);
    window->Lines()[1]->SetText(" y");
    window->MLatex->trigger();
    EXPECT_EQ(Flavour("text/plain").replace(" ", ""), "x+\\frac{1}{2}\ny\n");
    window->MMathML->trigger();
    EXPECT_EQ(Flavour("application/mathml+xml").count("<mtr>"), 2);
    EXPECT_TRUE(Flavour("text/plain").startsWith("<?xml"));
    // "Exporteren…" writes the type of the name the save dialog gives.
    QTemporaryDir out;
    window->Formulas().chooseExportFile = [&](const QString&) { return out.filePath("n.md"); };
    window->MExporteren->trigger();
    QFile md(out.filePath("n.md"));
    ASSERT_TRUE(md.open(QIODevice::ReadOnly));
    EXPECT_EQ(md.readAll().count("$$"), 4);
}

} // namespace
} // namespace zelm
