// The writers judged by programs no one here wrote: KaTeX renders every LaTeX the writer makes
// and xmllint validates every MathML against the W3C's MathML DTD, over the help pages'
// formulas, the benchmarks' lines and random typed lines. Each tool runs once over the whole
// corpus.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "editor/LineEditor.h"
#include "exchange/MathWriters.h"
#include "samples/BenchDocuments.h"
#include "samples/HelpFormulas.h"
#include "samples/KeystrokeWork.h"
#include "support/FormulaCorpus.h"
#include "support/KeyScriptQt.h"
#include "support/RoundTrip.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

/// The help pages' formulas, typed into line editors as the help pictures type them.
std::vector<test::CorpusLine> HelpLines() {
    std::vector<test::CorpusLine> out;
    for (const help::HelpFormula& f : help::AllHelpFormulas()) {
        QWidget host;
        TMathEditor line(&host);
        line.SetPlainText(f.plainText);
        line.Line().Selstart = line.Line().Seleinde = line.Line().CaretPos = 1;
        line.SetText(" ");
        test::ClickKeys(&line, f.keys);
        out.push_back({{line.Line().Text(), line.Line().Codes()}, f.plainText});
    }
    return out;
}

/// The benchmarks' lines and documents, through the setter in formula mode (names recognised).
std::vector<test::CorpusLine> BenchLines() {
    std::vector<bench::Formula> formulas = {bench::ShortLine(), bench::LongLine(),
                                            bench::BracketedSum("a+b")};
    for (const TLineRecord& r : DecodeDocument(bench::MakeDocument(4, 20)))
        formulas.push_back({r.text, r.codes});
    std::vector<test::CorpusLine> out;
    test::FixedCanvas canvas;
    for (const bench::Formula& f : formulas) {
        MathLine line(canvas, 300);
        bench::RunSetter(line, f);
        out.push_back({{line.Text(), line.Codes()}, false});
    }
    return out;
}

struct ToolRun {
    bool ran = false;
    int status = -1;
    QString output;
};

ToolRun RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) return {};
    return {true, process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

TEST(FormulaOracleTest, KatexRendersEveryLatexAndEveryMathMLIsValid) {
    const QString node = QStandardPaths::findExecutable("node");
    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    const QString katex = ZELM_KATEX_DIR;
    const QString dtd = ZELM_MATHML_DTD;
    QString missing;
    if (node.isEmpty()) missing += " node";
    if (xmllint.isEmpty()) missing += " xmllint";
    if (!QFileInfo::exists(katex + "/package.json")) missing += " " + katex;
    if (!QFileInfo::exists(dtd)) missing += " " + dtd;
    if (!missing.isEmpty()) {
        // `make test` installs them and insists; a developer's machine may lack them.
        if (qEnvironmentVariableIsSet("ZELM_ORACLES_REQUIRED"))
            FAIL() << "missing:" << missing.toStdString();
        GTEST_SKIP() << "scripts/install-deps.sh installs what is missing:"
                     << missing.toStdString();
    }

    std::vector<test::CorpusLine> corpus = HelpLines();
    const std::size_t typedByHand = corpus.size();
    for (test::CorpusLine& c : BenchLines())
        corpus.push_back(std::move(c));
    const std::size_t fixed = corpus.size();
    for (test::CorpusLine& c : test::RandomTypedLines(test::Volume(10000), 2203))
        corpus.push_back(std::move(c));

    // One LaTeX formula a line; the MathML formulas each as an `mrow` of one document (a
    // `math` element takes what an `mrow` takes), one a line, so that xmllint reads the DTD
    // once and its messages name the formula's line.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile latex(dir.filePath("formulas.tex")), mathml(dir.filePath("formulas.xml"));
    ASSERT_TRUE(latex.open(QIODevice::WriteOnly) && mathml.open(QIODevice::WriteOnly));
    const std::string math = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";
    mathml.write(QByteArray::fromStdString(math + "\n"));
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        const test::CorpusLine& c = corpus[i];
        const MathTree tree = BuildTree(c.line.text, c.line.codes, c.plainText);
        if (i < fixed) {
            ASSERT_EQ(LineFromTree(tree.root), c.line) << "line " << i << " of the fixed corpus";
        }
        latex.write(QByteArray::fromStdString(ToLatex(tree) + "\n"));
        const std::string xml = ToMathML(tree);
        ASSERT_EQ(xml.substr(0, math.size()), math);
        mathml.write(QByteArray::fromStdString(
            "<mrow>" + xml.substr(math.size(), xml.size() - math.size() - 7) + "</mrow>\n"));
    }
    mathml.write("</math>\n");
    latex.close();
    mathml.close();
    EXPECT_GT(typedByHand, 10u);

    const ToolRun rendered = RunTool(node, {ZELM_KATEX_CHECK, katex, latex.fileName()});
    ASSERT_TRUE(rendered.ran);
    EXPECT_EQ(rendered.status, 0) << rendered.output.toStdString();
    const ToolRun validated =
        RunTool(xmllint, {"--noout", "--nonet", "--dtdvalid", dtd, mathml.fileName()});
    ASSERT_TRUE(validated.ran);
    EXPECT_EQ(validated.status, 0) << validated.output.left(4000).toStdString();
}

// The help pages' and the benchmarks' lines come back exactly through LaTeX and MathML.
TEST(FormulaRoundTrip, HelpAndBenchmarkLinesComeBackExactly) {
    for (const std::vector<test::CorpusLine>& lines : {HelpLines(), BenchLines()})
        for (const test::CorpusLine& c : lines)
            test::ExpectRoundTrip(c, true);
}

} // namespace
} // namespace zelm
