// The .docx export judged by programs we did not write: pandoc reads every equation back as
// TeX that agrees with our LaTeX of its line, and unzip and xmllint find the container and
// every part of it whole, also for a document of hostile text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "exchange/DocxExport.h"
#include "exchange/MathWriters.h"
#include "formula/MathLine.h"
#include "samples/HelpFormulas.h"
#include "support/FixedCanvas.h"
#include "support/KeyScript.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;
using test::Codes;
using test::T;

struct ShellRun {
    int status;
    std::string output;
};

ShellRun Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    return {pclose(pipe), output};
}

/// The help pages' formulas as typed, and lines for the structures they lack.
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
    const NoteLine more[] = {
        {T(" @2#x+@8#y"), Codes({23, 25, 23, 25}), false},
        {T(" @x+@#2#y+@z"), Codes({19, 19, 7, 8, 11}), false},
        {T(" #a+b#=#c#"), Codes({38, 38, 39, 39}), false},
        {T(" $+$#$#=$"), Codes({'a', 'b', 7, 'q', 8, 0xB3}), false},
        {T(" #a#b##c##x"), Codes({20, 25, 25, 37, 37, 21}), false},
        {T(" 3,5#7##"), Codes({34, 35, 37}), false},
        {T(" Tekst met #1#2# erin"), Codes({15, 16, 17}), true},
    };
    lines.insert(lines.end(), std::begin(more), std::end(more));
    return lines;
}

/// The index behind the brace group that opens at `open`.
std::size_t GroupEnd(const std::string& s, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < s.size(); ++i)
        if ((depth += s[i] == '{' ? 1 : s[i] == '}' ? -1 : 0) == 0) return i + 1;
    return s.size();
}

/// `s` with the braces of the group at `open` taken away.
std::string Unwrapped(std::string s, std::size_t open) {
    s.erase(GroupEnd(s, open) - 1, 1);
    return s.erase(open, 1);
}

// What two writers of the same formula may spell differently, each rule for one reason:
// spacing is the writer's own (a braced decimal comma only keeps TeX from spacing it); Office Math
// has no coloured box and no slanted fraction in pandoc's reading; pandoc spells the upright d and
// e, the bar and a name LaTeX has no operator for its own way, and braces the operand of a function
// or an n-ary operator; growing brackets need no \left and \right.
std::string Normalised(std::string latex) {
    static const std::pair<std::regex, const char*> rules[] = {
        {std::regex(R"(\\vert(?![a-zA-Z]))"), "|"},
        {std::regex(R"(\\ |\s+|\\[,;!]|\\left|\\right)"), ""},
        {std::regex(R"(\{,\})"), ","},
        {std::regex(R"(\\mathrm\{([de])\})"), "$1"},
        {std::regex(R"(\\operatorname\{(\w+)\})"), "{$1}"},
    };
    for (const auto& [pattern, replacement] : rules)
        latex = std::regex_replace(latex, pattern, replacement);
    for (std::size_t at; (at = latex.find("\\textcolor{red}")) != std::string::npos;)
        latex = Unwrapped(latex.erase(at, 15), at);
    for (std::size_t at = 0; (at = latex.find("{}^{", at)) != std::string::npos; ++at) {
        const std::size_t over = GroupEnd(latex, at + 3);
        if (latex.compare(over, 3, "/_{") == 0) latex.erase(over, 2).replace(at, 3, "\\frac");
    }
    static const std::regex head(R"(\\(int|sum|sin|cos|tan|arcsin|arctan|ln|log|exp)(?![a-z]))");
    std::smatch m;
    for (std::size_t from = 0;
         std::regex_search(latex.cbegin() + std::ptrdiff_t(from), latex.cend(), m, head);) {
        from += std::size_t(m.position(0) + m.length(0));
        std::size_t at = from;
        while (at + 1 < latex.size() && (latex[at] == '_' || latex[at] == '^'))
            at = GroupEnd(latex, at + 1);
        if (at < latex.size() && latex[at] == '{') latex = Unwrapped(latex, at);
    }
    return latex;
}

/// The equations of pandoc's LaTeX, in order.
std::vector<std::string> Equations(const std::string& latex) {
    std::vector<std::string> out;
    static const std::regex display(R"(\\\[([\s\S]*?)\\\])");
    for (std::sregex_iterator m(latex.begin(), latex.end(), display), end; m != end; ++m)
        out.push_back((*m)[1]);
    return out;
}

fs::path Written(const std::vector<NoteLine>& lines, const std::string& name) {
    const fs::path file =
        fs::temp_directory_path() / ("zelm-docx-" + std::to_string(getpid()) + "-" + name);
    std::ofstream out(file, std::ios::binary);
    WriteDocx(lines, [&](std::string_view piece) { out.write(piece.data(), piece.size()); });
    return file;
}

TEST(DocxExport, PandocReadsEveryEquationAsOurLatex) {
    if (Shell("pandoc --version").status != 0) GTEST_SKIP() << "pandoc is missing";
    const std::vector<NoteLine> lines = CorpusDocument();
    const fs::path file = Written(lines, "corpus.docx");
    const ShellRun pandoc = Shell("pandoc -f docx -t latex '" + file.string() + "'");
    ASSERT_EQ(pandoc.status, 0) << pandoc.output;
    const std::vector<std::string> equations = Equations(pandoc.output);
    std::vector<std::string> ours;
    for (const NoteLine& line : lines)
        if (!line.plainText) ours.push_back(LatexLines({line}));
    ASSERT_EQ(equations.size(), ours.size()) << pandoc.output;
    for (std::size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(Normalised(equations[i]), Normalised(ours[i])) << "line " << i;
    EXPECT_NE(pandoc.output.find("Tekst met"), std::string::npos);
    fs::remove(file);
}

/// Text lines with the characters XML must escape or cannot hold, and formulas holding them.
std::vector<NoteLine> HostileDocument() {
    std::string controls;
    for (int c = 1; c < 0x20; ++c)
        controls += char(c);
    for (int c = 0x7F; c < 0xA0; ++c)
        controls += char(c);
    const Bytes hostile = " <a & b> ]]> \"x\" '" + controls;
    return {{hostile, {}, true},
            {hostile, {}, false},
            {T(" #<&]]>#") + controls, Codes({15, 16, 17}), false},
            {T(" #x&y#") + controls, Codes({15, 16, 17}), true}};
}

TEST(DocxExport, ContainerAndEveryPartAreWellFormed) {
    if (Shell("unzip -v && xmllint --version").status != 0) GTEST_SKIP() << "unzip or xmllint";
    for (const auto& [name, lines] : {std::pair{"corpus.docx", CorpusDocument()},
                                      std::pair{"hostile.docx", HostileDocument()}}) {
        const fs::path file = Written(lines, name);
        const std::string quoted = "'" + file.string() + "'";
        const ShellRun test = Shell("unzip -t " + quoted);
        EXPECT_EQ(test.status, 0) << name << test.output;
        for (const char* part : {"\\[Content_Types\\].xml", "_rels/.rels", "word/document.xml",
                                 "word/_rels/document.xml.rels", "word/styles.xml"}) {
            const ShellRun lint =
                Shell("unzip -p " + quoted + " '" + part + "' | xmllint --noout -");
            EXPECT_EQ(lint.status, 0) << name << " " << part << lint.output;
        }
        fs::remove(file);
    }
}

} // namespace
} // namespace zelm
