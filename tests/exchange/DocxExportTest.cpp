// The .docx export judged by programs we did not write: pandoc reads every equation back as
// TeX that agrees with our LaTeX of its line, and unzip and xmllint find the container and
// every part of it whole, also for a document of hostile text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

#include "exchange/DocxExport.h"
#include "exchange/MathReaders.h"
#include "formula/MathLine.h"
#include "samples/HelpFormulas.h"
#include "support/FixedCanvas.h"
#include "support/KeyScript.h"
#include "support/TestBytes.h"
#include "support/ZipCheck.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;
using test::Codes;
using test::Shell;
using test::T;

/// The help pages' formulas as typed, lines for the structures they lack, and the real-world
/// formulas that a paste takes in exactly.
std::vector<NoteLine> CorpusDocument() {
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    std::vector<NoteLine> lines;
    for (const help::HelpFormula& f : help::AllHelpFormulas()) {
        MathLine line(canvas, 200);
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.SetText(" ");
        test::ReplayKeys(line, f.keys);
        lines.push_back({line.Text(), line.Codes(), f.plainText});
    }
    lines.insert(lines.end(), {
                                  {T(" @2#x+@8#y"), Codes({23, 25, 23, 25}), false},
                                  {T(" @x+@#2#y+@z"), Codes({19, 19, 7, 8, 11}), false},
                                  {T(" #a+b#=#c#"), Codes({38, 38, 39, 39}), false},
                                  {T(" $+$#$#=$"), Codes({'a', 'b', 7, 'q', 8, 0xB3}), false},
                                  {T(" #a#b##c##x"), Codes({20, 25, 25, 37, 37, 21}), false},
                                  {T(" 3,5#7##"), Codes({34, 35, 37}), false},
                                  {T(" Tekst met #1#2# erin"), Codes({15, 16, 17}), true},
                              });
    std::ifstream realWorld(ZELM_CORPUS_FORMULAS); // its comment lines read as nothing
    for (std::string latex; std::getline(realWorld, latex);)
        if (const auto read = ReadLatex(latex); read && !read->lossy && !read->onlyText)
            lines.push_back({" " + LineFromTree(read->row).text, LineFromTree(read->row).codes});
    return lines;
}

/// The index behind the brace group that opens at `open`.
std::size_t GroupEnd(const std::string& s, std::size_t open) {
    for (int depth = 0; open < s.size(); ++open)
        if ((depth += s[open] == '{' ? 1 : s[open] == '}' ? -1 : 0) == 0) return open + 1;
    return s.size();
}

/// Takes away the braces of the group at `open`.
void Unwrap(std::string& s, std::size_t open) {
    s.erase(GroupEnd(s, open) - 1, 1).erase(open, 1);
}

// What two writers of the same formula may spell differently, each rule for one reason:
// spacing is the writer's own (a braced decimal comma only keeps TeX from spacing it); pandoc
// has its own names for a few signs and for a name LaTeX has no operator for, writes primes as
// the superscripts they are, braces a base of several signs, a root's index and the operand of
// a function or an n-ary operator, and sets a subscript first; Office Math has no coloured
// box and pandoc reads no slanted fraction; growing brackets need no \left and \right.
std::string Normalised(std::string latex) {
    static const std::pair<const char*, const char*> rules[] = {
        {R"(\\vert(?![a-zA-Z]))", "|"},
        {R"(\\ |\s+|\\[,;!]|\\left|\\right)", ""},
        {R"(\{,\})", ","},
        {R"(\\mathrm\{([de])\})", "$1"},
        {R"(\\operatorname\{(\w+)\})", "{$1}"},
        {R"(\\lbrack)", "["},
        {R"(\\rbrack)", "]"},
        {R"(\\varnothing)", "\\emptyset"},
        {R"(\\omicron)", "\u03BF"},
        {R"(\\S(?![a-zA-Z]))", "\u00A7"},
        {R"(\\surd(?![a-zA-Z]))", "\\sqrt{}"},
        {R"(\^\{\\degree\})", "{^\\circ}"},
        {R"(')", "^{\\prime}"},
        {R"(\\prime\}\^\{)", "\\prime"},
        {R"(\\sqrt\[\{(.*?)\}\])", "\\sqrt[$1]"},
        {R"(\\textcolor\{red\}\{([^{}]*)\})", "$1"},
        {R"(\{\}\^\{([^{}]*)\}/_\{([^{}]*)\})", "\\frac{$1}{$2}"},
    };
    for (const auto& [pattern, replacement] : rules)
        latex = std::regex_replace(latex, std::regex(pattern), replacement);
    for (std::size_t at = 0; (at = latex.find('{', at)) != std::string::npos; ++at) {
        const std::size_t end = GroupEnd(latex, at);
        const char before = at > 0 ? latex[at - 1] : ' ';
        if (end - at > 2 && (latex[end] == '_' || latex[end] == '^') && !std::isalpha(before) &&
            std::string_view("}]_^").find(before) == std::string_view::npos)
            Unwrap(latex, at--);
    }
    for (std::size_t at = 0; (at = latex.find("^{", at)) != std::string::npos; ++at) {
        const std::size_t sup = GroupEnd(latex, at + 1), sub = GroupEnd(latex, sup + 1);
        if (latex.compare(sup, 2, "_{") == 0)
            latex = latex.substr(0, at) + latex.substr(sup, sub - sup) +
                    latex.substr(at, sup - at) + latex.substr(sub);
    }
    static const std::regex head(R"(\\(int|sum|sin|cos|tan|arcsin|arctan|ln|log|exp)(?![a-z]))");
    std::smatch m;
    for (std::size_t from = 0;
         std::regex_search(latex.cbegin() + std::ptrdiff_t(from), latex.cend(), m, head);) {
        from += std::size_t(m.position(0) + m.length(0));
        std::size_t at = from;
        while (at + 1 < latex.size() && (latex[at] == '_' || latex[at] == '^'))
            at = GroupEnd(latex, at + 1);
        if (at < latex.size() && latex[at] == '{') Unwrap(latex, at);
    }
    return latex;
}

/// Whether the oracle the command runs is missing; `make test` requires it (a failure).
bool Missing(const std::string& command) {
    const bool missing = Shell(command).first != 0;
    if (missing && std::getenv("ZELM_ORACLES_REQUIRED")) ADD_FAILURE() << "missing: " << command;
    return missing;
}

fs::path Written(const std::vector<NoteLine>& lines, const std::string& name) {
    const fs::path file = fs::temp_directory_path() / (std::to_string(getpid()) + name);
    std::ofstream out(file, std::ios::binary);
    WriteDocx(lines, [&](std::string_view piece) { out.write(piece.data(), piece.size()); });
    return file;
}

TEST(DocxExport, PandocReadsEveryEquationAsOurLatex) {
    if (Missing("pandoc --version")) GTEST_SKIP() << "pandoc is missing";
    const std::vector<NoteLine> lines = CorpusDocument();
    const fs::path file = Written(lines, "-zelm-corpus.docx");
    const auto [status, latex] = Shell("pandoc -f docx -t latex '" + file.string() + "'");
    ASSERT_EQ(status, 0) << latex;
    std::vector<std::string> equations; // pandoc's display maths, in order
    static const std::regex display(R"(\\\[([\s\S]*?)\\\])");
    for (std::sregex_iterator m(latex.begin(), latex.end(), display), end; m != end; ++m)
        equations.push_back((*m)[1]);
    std::vector<std::string> ours;
    for (const NoteLine& line : lines)
        if (!line.plainText && !LatexLines({line}).empty()) ours.push_back(LatexLines({line}));
    ASSERT_EQ(equations.size(), ours.size()) << latex;
    for (std::size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(Normalised(equations[i]), Normalised(ours[i])) << "line " << i;
    EXPECT_NE(latex.find("Tekst met"), std::string::npos);
    fs::remove(file);
}

TEST(DocxExport, ContainerAndEveryPartAreWellFormed) {
    if (Missing("unzip -v && xmllint --version")) GTEST_SKIP() << "unzip or xmllint";
    // Text lines with the characters XML must escape or cannot hold, and formulas holding them.
    std::string controls;
    for (int c = 1; c < 0xA0; c = c == 0x1F ? 0x7F : c + 1)
        controls += char(c);
    const Bytes hostile = " <a & b> ]]> \"x\" '" + controls;
    const std::vector<NoteLine> hostileDocument = {
        {hostile, {}, true},
        {hostile, {}, false},
        {T(" #<&#]]>#") + controls, Codes({15, 16, 17}), false},
        {T(" #x&#y#") + controls, Codes({15, 16, 17}), true}};
    for (const auto& [name, lines] : {std::pair{"-zelm-corpus.docx", CorpusDocument()},
                                      std::pair{"-zelm-hostile.docx", hostileDocument}}) {
        const fs::path file = Written(lines, name);
        EXPECT_EQ(test::ZipComplaints(file.string()), "") << name;
        fs::remove(file);
    }
}

} // namespace
} // namespace zelm
