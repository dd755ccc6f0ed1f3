// Formulas on the system clipboard: Ctrl+Alt+C puts a line or its selection there in five
// flavours, Ctrl+Alt+V takes LaTeX or MathML from there, "LaTeX" takes every line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "exchange/MathWriters.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

class FormulaClipboard : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    QTemporaryDir programDir;
    TBasisMath window{programDir.path(), [](const QString&) {}};
    MathLine& m = window.Lines()[0]->Line();
    int beeps = 0;

    void SetUp() override {
        window.showError = [](const QString& e) { ADD_FAILURE() << e.toStdString(); };
        TMathEditor::beep = [this] { ++beeps; };
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.Lines()[0]->setFocus();
        m.SetPlainText(false);
    }
    void TearDown() override { TMathEditor::beep = nullptr; }

    void Set(const Bytes& text, const Bytes& codes) {
        m.SetCodes(codes);
        m.SetText(text);
        m.Selstart = m.Seleinde = m.CaretPos = int(text.size());
    }
    static void CtrlAlt(Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier | Qt::AltModifier);
    }
    static QString Flavour(const char* type) {
        return QString::fromUtf8(QGuiApplication::clipboard()->mimeData()->data(type)).remove(' ');
    }
};

TEST_F(FormulaClipboard, CtrlAltCPutsTheLineOrItsSelectionInFiveFlavours) {
    // " x+" and the fraction 1 over 2.
    const Bytes text = test::T(" x+#1#2#");
    Set(text, "\x0f\x10\x11");
    const struct {
        int from, to; // the selection; equal for none
        const char *latex, *mathml, *unicodeMath;
    } rows[] = {
        {5, 5, "x+\\frac{1}{2}", "<mfrac>", "x+1/2"},
        {2, 6, "+\\frac{1}{2}", "<mfrac>", "+1/2"}, // into the fraction: all of it
        {6, 7, "2", "<mn>2</mn>", "2"},             // inside the denominator
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.latex);
        m.Selstart = row.from;
        m.Seleinde = row.to;
        CtrlAlt(Qt::Key_C);
        EXPECT_EQ(Flavour("text/plain"), row.latex);
        EXPECT_TRUE(Flavour("text/html").startsWith("<math"));
        for (const char* type : {"application/mathml+xml", "application/mathml-presentation+xml"}) {
            EXPECT_TRUE(Flavour(type).startsWith("<?xmlversion=\"1.0\"encoding=\"UTF-8\"?>"));
            EXPECT_TRUE(Flavour(type).contains(row.mathml)) << Flavour(type).toStdString();
        }
        EXPECT_EQ(Flavour("text/x-unicodemath").remove('(').remove(')'), row.unicodeMath);
        EXPECT_EQ(m.Text(), text) << "the line is left as it was";
    }
    QGuiApplication::clipboard()->setText("elders");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(window.CopiedText, "2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "elders");
}

TEST_F(FormulaClipboard, CtrlAltVPastesLatexAndMathMLOrRefusesWithABeep) {
    const struct {
        const char* type;
        QByteArray content;
        const char* latex; // in the line afterwards; empty: the line is unchanged
        int beeps;
    } rows[] = {
        {"text/plain", "$\\frac{a}{\\sqrt{b}}$", "\\frac{a}{\\sqrt{b}}", 0},
        {"application/mathml+xml",
         "<?xml version=\"1.0\"?><math xmlns=\"http://www.w3.org/1998/Math/MathML\"><msup>"
         "<mi>x</mi><mn>2</mn></msup></math>",
         "x^{2}", 0},
        {"text/plain", "\\mathbb{R}", "R", 1},         // lossy
        {"text/plain", QByteArray(70000, 'x'), "", 1}, // too long
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content.left(40).toStdString());
        Set(" ", "");
        auto* data = new QMimeData;
        data->setData(row.type, row.content);
        QGuiApplication::clipboard()->setMimeData(data);
        beeps = 0;
        CtrlAlt(Qt::Key_V);
        EXPECT_EQ(beeps, row.beeps);
        EXPECT_EQ(CountCodeChars(m.Text()), int(m.Codes().size()));
        std::string latex = ToLatex(BuildTree(m.Text(), m.Codes(), false));
        std::erase(latex, ' ');
        EXPECT_EQ(m.Text() == " ", *row.latex == 0) << latex;
        EXPECT_NE(latex.find(row.latex), std::string::npos) << latex; // "" is everywhere
    }
}

TEST_F(FormulaClipboard, TheDocumentAsLatex) {
    Set(" a", "");
    window.Nieuweregel1->trigger();
    window.Lines()[1]->SetText(" Tekst");
    window.MLatex->trigger();
    EXPECT_EQ(Flavour("text/plain"), "a\n\\text{Tekst}\n");
}

} // namespace
} // namespace zelm
