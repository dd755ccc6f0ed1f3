// Real-world formulas that no one here wrote (samples/RealWorldFormulas.tex), pasted as LaTeX
// and as the MathML KaTeX writes for them, judged by KaTeX: a paste either says that something
// came in otherwise than it stood, or our LaTeX of the line it made means what the formula means
// (KaTeX's MathML of both agree; tests/support/KatexCorpus.js says what that comparison ignores).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "exchange/MathReaders.h"
#include "exchange/MathWriters.h"
#include "exchange/NotesExport.h"
#include "exchange/PasteFormula.h"
#include "formula/MathLine.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> CorpusFormulas() {
    std::vector<std::string> formulas = ReadLines(ZELM_CORPUS_FORMULAS);
    std::erase_if(formulas, [](const std::string& l) { return l.empty() || l[0] == '%'; });
    return formulas;
}

struct NodeRun {
    int status = -1;
    std::string output;
};

NodeRun RunKatexCorpus(const std::string& arguments, const fs::path& log) {
    const std::string command =
        "node '" ZELM_KATEX_CORPUS "' " + arguments + " > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    return {status, text.str()};
}

/// Our LaTeX of the line a paste into a formula line makes; nothing when the paste said that
/// something changed.
std::optional<std::string> WrittenUnlessLossy(const ReadResult& pasted) {
    const ReadResult read = ChangesInto(pasted, false);
    if (read.lossy || !read.changes.empty()) return std::nullopt;
    const LineBytes line = LineFromTree(read.row);
    return ToLatex(BuildTree(line.text, line.codes, false));
}

/// A line made by pasting `row` into an empty formula line; nothing when it does not fit.
std::optional<LineBytes> Pasted(Canvas& canvas, const MathNode& row) {
    MathLine line(canvas, 200);
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.SetText(" ");
    return InsertStructures(line, row) ? std::optional(LineBytes{line.Text(), line.Codes()})
                                       : std::nullopt;
}

/// Ctrl+Alt+C then Ctrl+Alt+V: the whole line through the MathML flavour that paste prefers.
std::optional<LineBytes> CopiedAndPasted(Canvas& canvas, const LineBytes& line) {
    const MathTree tree = BuildTree(line.text, line.codes, false);
    const auto back = ReadMathML(ToMathML(LineContent(tree, int(line.text.size()))));
    return back ? Pasted(canvas, back->row) : std::nullopt;
}

TEST(RealWorldCorpus, EveryPasteKeepsItsMeaningOrSaysWhatChanged) {
    if (std::system("node --version > /dev/null 2>&1") != 0 ||
        !fs::exists(fs::path(ZELM_KATEX_DIR) / "package.json")) {
        // `make test` installs them and insists; a developer's machine may lack them.
        if (std::getenv("ZELM_ORACLES_REQUIRED")) FAIL() << "missing: node or " ZELM_KATEX_DIR;
        GTEST_SKIP() << "scripts/install-deps.sh installs node and KaTeX";
    }
    const std::vector<std::string> formulas = CorpusFormulas();
    ASSERT_GE(formulas.size(), 300u);

    const fs::path dir = fs::temp_directory_path() / ("zelm-corpus-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path mathml = dir / "katex.mml", pairs = dir / "pairs.tsv";
    const std::string files = "'" ZELM_KATEX_DIR "' '" ZELM_CORPUS_FORMULAS "' ";
    const NodeRun rendered =
        RunKatexCorpus("render " + files + "'" + mathml.string() + "'", dir / "render.log");
    ASSERT_EQ(rendered.status, 0) << rendered.output;
    const std::vector<std::string> katexMathML = ReadLines(mathml);
    ASSERT_EQ(katexMathML.size(), formulas.size());

    std::string refused, changedByCopying;
    int saidWhatChanged = 0;
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    {
        std::ofstream out(pairs);
        for (std::size_t i = 0; i < formulas.size(); ++i) {
            const std::optional<ReadResult> reads[] = {ReadLatex(formulas[i]),
                                                       ReadMathML(katexMathML[i])};
            const char* readers[] = {"LaTeX", "MathML"};
            for (int r = 0; r < 2; ++r) {
                if (!reads[r]) {
                    refused += "\n  formula " + std::to_string(i + 1) + " as " + readers[r] + ": " +
                               formulas[i];
                    continue;
                }
                if (const auto line = Pasted(canvas, reads[r]->row);
                    line && CopiedAndPasted(canvas, *line) != line)
                    changedByCopying += "\n  formula " + std::to_string(i + 1) + ": " + formulas[i];
                if (const auto written = WrittenUnlessLossy(*reads[r]))
                    out << i + 1 << '\t' << readers[r] << '\t' << *written << '\n';
                else
                    ++saidWhatChanged;
            }
        }
    }
    EXPECT_TRUE(refused.empty()) << "refused without a word:" << refused;
    EXPECT_TRUE(changedByCopying.empty())
        << "copy then paste changed the line:" << changedByCopying;
    std::cout << formulas.size() << " formulas, " << saidWhatChanged
              << " pastes said what changed\n";
    const NodeRun judged =
        RunKatexCorpus("compare " + files + "'" + pairs.string() + "'", dir / "compare.log");
    EXPECT_EQ(judged.status, 0) << judged.output;
    fs::remove_all(dir);
}

} // namespace
} // namespace zelm
