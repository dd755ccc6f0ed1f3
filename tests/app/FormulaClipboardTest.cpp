// Formulas on the system clipboard: Ctrl+Alt+C puts a line or its selection there in five
// flavours, Ctrl+Alt+V takes LaTeX or MathML from there, "LaTeX" takes every line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "app/MainWindow.h"
#include "exchange/MathWriters.h"
#include "exchange/NotesExport.h"
#include "support/FixedLines.h"
#include "support/ZipCheck.h"

namespace zelm {
namespace {

class FormulaClipboard : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    QTemporaryDir programDir;
    QStringList messages; // what the window showed the user
    TBasisMath window{programDir.path(), [this](const QString& text) { messages << text; }};
    MathLine& m = window.Lines()[0]->Line();
    int beeps = 0;

    void SetUp() override {
        window.showError = [](const QString& e) { ADD_FAILURE() << e.toStdString(); };
        TMathEditor::beep = [this] { ++beeps; };
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.Lines()[0]->setFocus();
        m.SetPlainText(false);
        messages.clear(); // the start-up's
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
        // A picture only of the whole line: a selection's would show more than was copied.
        EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->hasFormat("image/png"),
                  row.from == row.to);
        EXPECT_EQ(m.Text(), text) << "the line is left as it was";
    }
    QGuiApplication::clipboard()->setText("elders");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(window.CopiedText, "2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "elders");
}

// The office suite pastes an editable formula only from its embedded object with the object
// descriptor beside it, each named exactly so.
TEST_F(FormulaClipboard, CtrlAltCOffersTheLineAsAnEmbeddedFormula) {
    Set(test::T(" x+#1#2#"), "\x0f\x10\x11");
    CtrlAlt(Qt::Key_C);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(data->hasFormat("application/x-openoffice-objectdescriptor-xml;"
                                "windows_formatname=\"Star Object Descriptor (XML)\""));
    QTemporaryFile package;
    ASSERT_TRUE(package.open());
    package.write(data->data("application/x-openoffice-embed-source-xml;"
                             "windows_formatname=\"Star Embed Source (XML)\""));
    package.flush();
    const auto [status, content] =
        test::Shell("unzip -p '" + package.fileName().toStdString() + "' content.xml");
    const MathTree tree = LineContent(BuildTree(m.Text(), m.Codes(), false), int(m.Text().size()));
    EXPECT_NE(content.find(ToMathMLBlock(tree)), std::string::npos) << status;
}

TEST_F(FormulaClipboard, CtrlAltVPastesLatexAndMathMLOrRefusesWithABeepAndAMessage) {
    const struct {
        const char* type;
        QByteArray content;
        const char* latex; // in the line afterwards; empty: the line is unchanged
        int beeps;
        const char* message; // in the message the user sees; null: none
        bool plainText = false;
    } rows[] = {
        {"text/plain", "$\\frac{a}{\\sqrt{b}}$", "\\frac{a}{\\sqrt{b}}", 0, nullptr},
        {"application/mathml+xml",
         "<?xml version=\"1.0\"?><math xmlns=\"http://www.w3.org/1998/Math/MathML\"><msup>"
         "<mi>x</mi><mn>2</mn></msup></math>",
         "x^{2}", 0, nullptr},
        {"text/plain", "\\mathbb{R}", "R", 1, "Geplakt"},                    // lossy
        {"text/plain", QByteArray(70000, 'x'), "", 1, "te lang"},            // too long
        {"text/plain", "  ", "", 1, "geen formule"},                         // nothing
        {"application/mathml+xml", "<math><mi>x</mi>", "", 1, "onleesbaar"}, // broken
        {"text/plain",
         "\\frac{1}{" + QByteArray(126, 'x') + "}\\cdot\\frac{1}{" + QByteArray(126, 'y') + "}", "",
         1, "past niet"},
        // A text line takes text as it stands, spaces and a slash included; LaTeX still reads.
        {"text/plain", "twee  woorden a/b\n", "twee\\\\woorden\\a/b", 0, nullptr, true},
        {"text/plain", "x^2", "x^{2}", 0, nullptr, true},
        // A text alone: a text line holds it as it stands, a formula line as formula letters.
        {"text/plain", "\\text{ab}", "ab", 1, "tekst als formuleletters"},
        {"application/mathml+xml", "<math><mtext>ab</mtext></math>", "ab", 0, nullptr, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content.left(40).toStdString());
        m.SetPlainText(row.plainText);
        Set(" ", "");
        auto* data = new QMimeData;
        data->setData(row.type, row.content);
        QGuiApplication::clipboard()->setMimeData(data);
        beeps = 0;
        messages.clear();
        CtrlAlt(Qt::Key_V);
        EXPECT_EQ(beeps, row.beeps);
        EXPECT_EQ(CountCodeChars(m.Text()), int(m.Codes().size()));
        std::string latex = ToLatex(BuildTree(m.Text(), m.Codes(), false));
        std::erase(latex, ' ');
        EXPECT_EQ(m.Text() == " ", *row.latex == 0) << latex;
        EXPECT_NE(latex.find(row.latex), std::string::npos) << latex; // "" is everywhere
        ASSERT_EQ(messages.size(), row.message ? 1 : 0) << messages.join('|').toStdString();
        if (row.message) {
            EXPECT_TRUE(messages[0].contains(row.message)) << messages[0].toStdString();
        }
    }
}

// A clipboard whose owner does not answer is not waited for: the user is told, nothing changes.
TEST_F(FormulaClipboard, CtrlAltVTellsWhenTheClipboardDoesNotAnswer) {
    Set(" a", "");
    QGuiApplication::clipboard()->setText("b");
    window.Formulas().clipboardAnswers = [] { return false; };
    CtrlAlt(Qt::Key_V);
    window.Formulas().clipboardAnswers = nullptr;
    EXPECT_EQ(m.Text(), test::T(" a"));
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("antwoordt niet"));
}

// Formula lines in the Markdown export: no sign a renderer without maths takes for markup
// (HTML, links, emphasis, code) is left, and KaTeX still renders each formula.
TEST(MarkdownExport, FormulaLinesAreFreeOfMarkupAndStillRender) {
    const struct {
        NoteLine line;
        const char* markdown;
    } rows[] = {
        {{test::T(" <script>alert(1)</script>"), {}},
         "$$\\lt script\\gt alert(1)\\lt/script\\gt$$"},
        {{test::T(" [a](javascript:x)"), {}}, "$$\\lbrack a\\rbrack(javascript:x)$$"},
        {{test::T(" a*b&`c`"), {}}, "$$a\\ast b\\&{\\char96}c{\\char96}$$"},
        {{test::T(" #3]#x<1#"), test::Codes({12, 25, 13})}, "$$\\sqrt[{3\\rbrack}]{x\\lt1}$$"},
        {{test::T(" (a)#1#*(b)#2#"), test::Codes({30, 31, 30, 31})}, "$$(a)_ {1}\\ast(b)_ {2}$$"},
        {{test::T(" zie #<#"), test::Codes({7, 8}), true}, "zie ${}^{\\lt}$"},
    };
    QTemporaryDir dir;
    QFile formulas(dir.filePath("markdown.tex"));
    ASSERT_TRUE(formulas.open(QIODevice::WriteOnly));
    for (const auto& row : rows) {
        std::string written = WriteNotes(NotesFormat::Markdown, {row.line}, "");
        EXPECT_EQ(written, std::string(row.markdown) + "\n\n");
        const std::size_t from = written.find('$'), to = written.rfind('$');
        written = written.substr(from, to - from + 1);
        std::erase(written, '$');
        formulas.write(QByteArray::fromStdString(written + "\n"));
    }
    formulas.close();
    if (!QFile::exists(QString(ZELM_KATEX_DIR) + "/package.json")) GTEST_SKIP() << "no KaTeX";
    QProcess node;
    node.start("node", {ZELM_KATEX_CHECK, ZELM_KATEX_DIR, formulas.fileName()});
    ASSERT_TRUE(node.waitForFinished(60000));
    EXPECT_EQ(node.exitCode(), 0) << node.readAll().toStdString();
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
