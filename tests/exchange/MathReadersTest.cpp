// The LaTeX and MathML readers: tables of inputs with the Text and code string they make, the
// inputs they refuse, and pasting into a line. Expected texts write byte 3 as '#', byte 1 as
// '@' and byte 4 as '$'.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "exchange/MathReaders.h"
#include "exchange/PasteFormula.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "support/FixedCanvas.h"
#include "support/FormulaCorpus.h"
#include "support/RoundTrip.h"
#include "support/ShadowPairs.h"
#include "support/TestBytes.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

using test::Codes;
using test::T;

struct ReadRow {
    std::string input;
    std::string text;
    std::vector<int> codes;
    bool lossy = false;
};

void ExpectReads(const std::optional<ReadResult>& read, const ReadRow& row) {
    SCOPED_TRACE(row.input);
    ASSERT_TRUE(read.has_value());
    const LineBytes line = LineFromTree(read->row);
    EXPECT_EQ(line.text, T(row.text));
    EXPECT_EQ(line.codes, Codes(row.codes));
    EXPECT_EQ(read->lossy, row.lossy);
}

TEST(LatexReader, ReadsTheWritersLatexAndTheUsualVariants) {
    const std::vector<ReadRow> rows = {
        {"x^{2}+y^2", "x#2#+y#2#", {7, 8, 7, 8}},
        {"$$\\frac{a}{b}$$", "#a#b#", {15, 16, 17}},
        {"\\dfrac12", "#1#2#", {15, 16, 17}},
        {"\\(\\tfrac{1}{x_i}\\)", "#1#x#i##", {15, 16, 30, 31, 17}},
        {"$\\sqrt{x}$", "##x#", {12, 25, 13}},
        {"\\[\\sqrt[3]{x+1}\\]", "#3#x+1#", {12, 25, 13}},
        {"\\left( a+b \\right)^{2}", "#a+b##2#", {23, 24, 7, 8}},
        {"\\int_{0}^{1} x\\,\\mathrm{d}x", "#0#1#x#x", {20, 25, 25, 21}},
        {"\\sum\\limits^{n}_{k=1} k", "#k=1#n#k", {22, 25, 25}},
        {"\\log_{2} 8+\\log x", "@2#8+@#x", {23, 25, 23, 25}},
        {"\\sin x + \\operatorname{arctan} y", "@x+@y", {19, 18}},
        {"{}^{1}\\!/_{2}", "#1#2#", {26, 27, 28}},
        {"{}^{2}x", "#2#x", {7, 8}},
        {"\\frac{\\mathrm{d}y}{\\mathrm{d}x}", "##y##x#", {15, 18, 16, 19, 17}},
        {"a \\cdot b \\times c", "a#b#c", {35, 34}},
        {"\\alpha+\\Omega \\leq \\infty", "$+$$$", {'a', 'W', 0xA3, 0xA5}},
        {"\\pi r^2", "#r#2#", {32, 7, 8}},
        {"\\mathrm{e}^{x}", "##x#", {33, 7, 8}},
        {"\\vert x| \\int x \\pm 90^{\\degree}", "#x|$x$90$", {37, 0xF2, 0xB1, 0xB0}},
        {"x^{2}{}^{\\degree}", "x#2#$", {7, 8, 0xB0}},
        {"x'^{2}+y''^{3}\\omicron", "x'#2#+y''#3#$", {7, 8, 7, 8, 'o'}},
        {"\\underline{ab}", "#ab#", {38, 38}},
        {"\\textcolor[RGB]{255,0,0}{x}", "#x#", {39, 39}},
        {"\\text{\xc3\xa9 en \xc3\xbc}\\ 1~2", "\xe9 en \xfc 1 2", {}, true},
        {"\xce\xb1 \xe2\x88\xab_a^b \xe2\x82\xac", "$#a#b#\x80", {'a', 20, 25, 25}},
        {"\\[ a \\, b \\quad c\\;\\displaystyle d \\]", "ab cd", {}},
        {"{a \\over b}", "#a#b#", {15, 16, 17}},
        {"\\mathbb{R} \\hat{x}", "Rx", {}, true},
        {"\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix}", "a b c d", {}, true},
        {"\\left[ x \\right]", "[x]", {}, true},
        {"\\lim x", "lim x", {}, true},
        {"x \xe2\x84\x95", "x?", {}, true},
        {"\\frac{a}{b", "#a#b#", {15, 16, 17}},
        {"a}b", "ab", {}, true},
    };
    for (const ReadRow& row : rows)
        ExpectReads(ReadLatex(row.input), row);
}

// What the line holds exactly comes in without a note; what it cannot hold comes in as its
// nearest faithful form, never as another name or sign, and is named.
TEST(LatexReader, KeepsTheMeaningOrNamesTheChange) {
    const std::vector<ReadRow> rows = {
        {"a\\not= b", "a$b", {0xB9}},
        {"x\\not\\in A", "x$A", {0xCF}},
        {"a\\not\\equiv b", "a$$b", {0xD8, 0xBA}, true},
        {"\\cosh^2 x", "#\"cosh##2#x", {23, 24, 7, 8}, true},
        {"\\arccos x", "arc\"cos x", {}, true},
        {"\\lim_{x\\to 0} f", "#lim##x$0#f", {23, 24, 30, 0xAE, 31}, true},
        {"\\max(a,b)+\\operatorname{sinc} x", "max(a,b)+\"sinc x", {}, true},
        {"a\\bmod n", "a mod n", {}, true},
        {"(f\\circ g)(x)", "(f$g)(x)", {0xB0}, true},
        {"90^{\\circ}+x^2{}^\\circ", "90$+x#2#$", {0xB0, 7, 8, 0xB0}, true},
        {"1+\\cdots+n-\\dotsb", "1+$+n-$", {0xBC, 0xBC}, true},
        {"1, 2, 3=1,5", "1, 2, 3=1,5", {}},
        {"\\sqrt[\\color{red} 3]{x}", "##3##x#", {12, 39, 39, 25, 13}},
        {"\\S 1",
         "\xa7"
         "1",
         {}},
        {"\\textit{ab}", "ab", {}, true},
        {"f=1\\text{ als sinus }x>0", "f=1 als \"sinus x>0", {}, true},
        {"\\color{blue}{x}+\\textcolor{green}{y}", "x+y", {}, true},
        {"\\textcolor{red}{a\\textcolor{red}{b}}+c", "#ab#+c", {39, 39}},
        {"x=1\\quad y=2", "x=1 y=2", {}},
        {"\\left(a\\middle|b\\right)", "#a#b#", {23, 37, 24}},
        {"\\left/x\\right\\backslash", "/x\\", {}, true},
    };
    for (const ReadRow& row : rows) {
        const std::optional<ReadResult> read = ReadLatex(row.input);
        ExpectReads(read, row);
        EXPECT_EQ(read && !read->changes.empty(), row.lossy) << row.input;
    }
}

TEST(PasteInto, TextAloneBecomesFormulaLettersOnlyInAFormulaLine) {
    const std::vector<std::string> none, letters = {"tekst als formuleletters"};
    for (const auto& [read, changes] : std::vector<std::pair<std::optional<ReadResult>, bool>>{
             {ReadLatex("\\hbox{a $x$ b}"), true},
             {ReadLatex("\\text{1 2}"), false},
             {ReadMathML("<math><mtext>ab</mtext></math>"), true}}) {
        ASSERT_TRUE(read);
        EXPECT_EQ(ChangesInto(*read, false).changes, changes ? letters : none);
        EXPECT_EQ(ChangesInto(*read, true).changes, none);
    }
}

TEST(LatexReader, RefusesTooLongAndTooDeeplyNestedInput) {
    EXPECT_FALSE(ReadLatex(std::string(LongestPastedFormula + 1, 'x')));
    EXPECT_TRUE(ReadLatex(std::string(LongestPastedFormula, 'x')));
    const auto nested = [](const std::string& open, int levels) {
        std::string s;
        for (int i = 0; i < levels; ++i)
            s += open;
        return s + "x" + std::string(std::size_t(levels), '}');
    };
    EXPECT_TRUE(ReadLatex(nested("{", DeepestPastedNesting - 1)));
    EXPECT_FALSE(ReadLatex(nested("{", DeepestPastedNesting)));
    EXPECT_FALSE(ReadLatex(nested("x^{", 1000)));
    EXPECT_FALSE(ReadLatex([] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += "\\sqrt\\frac";
        return s;
    }()));
}

constexpr const char* Ns = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";

TEST(MathMLReader, ReadsTheWritersMathML) {
    const std::vector<ReadRow> rows = {
        {"<?xml version=\"1.0\" "
         "encoding=\"UTF-8\"?>\n<math><msup><mi>x</mi><mn>2</mn></msup></math>",
         "x#2#",
         {7, 8}},
        {"<math><mfrac><mi>a</mi><mi>b</mi></mfrac><mfrac bevelled=\"true\"><mn>1</mn><mn>2</mn>"
         "</mfrac></math>",
         "#a#b##1#2#",
         {15, 16, 17, 26, 27, 28}},
        {"<math><msqrt><mi>x</mi></msqrt><mroot><mi>y</mi><mn>3</mn></mroot></math>",
         "##x##3#y#",
         {12, 25, 13, 12, 25, 13}},
        {"<math><mrow><mo fence=\"true\">(</mo><mi>a</mi><mo>+</mo><mi>b</mi><mo>)</mo></mrow>"
         "<mo stretchy=\"false\">(</mo><mi>c</mi></math>",
         "#a+b#(c",
         {23, 24}},
        {"<math><msubsup><mo>&#x222B;</mo><mn>0</mn><mn>1</mn></msubsup><mi>x</mi>"
         "<munderover><mo>&#8721;</mo><mi>k</mi><mi>n</mi></munderover></math>",
         "#0#1#x#k#n#",
         {20, 25, 25, 22, 25, 25}},
        {"<math><msub><mi>log</mi><mn>2</mn></msub><mi>sin</mi><mo>&#x2061;</mo><mi>x</mi></math>",
         "@2#@x",
         {23, 25, 19}},
        {"<math><mstyle mathcolor=\"#FF0000\"><mi>x</mi></mstyle><munder accentunder=\"true\">"
         "<mrow><mi>y</mi></mrow><mo>_</mo></munder></math>",
         "#x##y#",
         {39, 39, 38, 38}},
        {"<m:math xmlns:m=\"x\"><m:mi>&#x3B1;</m:mi><m:mo>&lt;</m:mo><m:mn> 1 </m:mn>"
         "<m:mo>&amp;</m:mo><m:mo>&#x00D7;</m:mo><m:mo>&#x22C5;</m:mo><!-- c --></m:math>",
         "$<1&##",
         {'a', 34, 35}},
        {"<math><mfrac><mrow><mi mathvariant=\"normal\">d</mi><mi>y</mi></mrow><mrow>"
         "<mi mathvariant=\"normal\">d</mi><mi>x</mi></mrow></mfrac><mi mathvariant=\"normal\">e"
         "</mi><mi>&#x3C0;</mi><mi>a</mi><mtext>&#xA0;</mtext><mi>b</mi></math>",
         "##y##x###a b",
         {15, 18, 16, 19, 17, 33, 32}},
        {"<math><mi mathvariant=\"double-struck\">R</mi><mtable><mtr><mtd><mn>1</mn></mtd></mtr>"
         "</mtable><mover><mi>x</mi><mo>^</mo></mover><mi>&foo;</mi></math>",
         "R1x#^#?",
         {7, 8},
         true},
    };
    for (const ReadRow& row : rows)
        ExpectReads(ReadMathML(row.input), row);
    ExpectReads(ReadMathML(std::string(Ns) + "<mi>x</mi></math>"), {"", "x", {}});
}

// What KaTeX, MathJax and our own UnicodeMath write for what the line holds.
TEST(MathMLReader, ReadsPeersCharactersAsTheLineHoldsThem) {
    const std::vector<ReadRow> rows = {
        {"<math><mi>a</mi><mtext>&#x2009;</mtext><mi>b</mi><mtext>&#x2003;</mtext><mi>c</mi>"
         "<mspace width=\"1em\"/><mi>d</mi><mspace width=\"0.1667em\"/></math>",
         "ab c d",
         {}},
        {"<math><mi>\xf0\x9d\x91\xa5</mi><mi>\xe2\x84\x8e</mi><mi>\xf0\x9d\x9c\x8b</mi></math>",
         "xh#",
         {32}},
        {"<math><mi>\xe2\x85\x86</mi><mi>\xe2\x85\x87</mi><mi>\xe2\x85\x88</mi></math>",
         "##i",
         {21, 33}},
        {"<math><mo>&#xB1;</mo><mo>&#x2026;</mo><mtext>&#xB1;</mtext><mo stretchy=\"false\">|"
         "</mo><mo>|</mo><mo>&#x2212;</mo></math>",
         "$$\xb1|#-",
         {0xB1, 0xBC, 37}},
        {"<math><mfenced open=\"[\" close=\"]\" separators=\";\"><mi>a</mi><mi>b</mi></mfenced>"
         "<mfenced><mi>c</mi></mfenced></math>",
         "[a;b]#c#",
         {23, 24}},
        // KaTeX's operators the name table lacks, \\bmod, \\text and text boxes, colours.
        {"<math><msub><mrow><mi>lim</mi><mo>&#x2061;</mo></mrow><mi>n</mi></msub><mi>a</mi>"
         "<munder><mo>max</mo><mi>k</mi></munder></math>",
         "#lim##n#a#max##k#",
         {23, 24, 30, 31, 23, 24, 30, 31},
         true},
        {"<math><mi>max</mi><mo>&#x2061;</mo><mi>f</mi><mo>+</mo><mi>cosh</mi><mi>x</mi>"
         "<mi>sn</mi><mo>(</mo><mi>x</mi><mo>)</mo><mi>lim&#x2009;inf</mi></math>",
         "max f+\"cosh xsn(x)lim inf",
         {},
         true},
        {"<math><mi mathvariant=\"normal\">m</mi><mi mathvariant=\"normal\">o</mi>"
         "<mi mathvariant=\"normal\">d</mi><mn>5</mn></math>",
         "mod5",
         {},
         true},
        {"<math><mtext>Let</mtext><mi>x</mi><mo>=</mo><mtext>sin</mtext></math>",
         "Letx=\"sin",
         {},
         true},
        {"<math><mi>a</mi><mpadded width=\"0px\"><mtext>/</mtext></mpadded><mo>=</mo></math>",
         "a/=",
         {},
         true},
        {"<math><mstyle mathcolor=\"#6495ed\"><mi>a</mi></mstyle><mstyle mathcolor=\"red\">"
         "<mi>b</mi><mstyle mathcolor=\"#008000\"><mi>c</mi></mstyle></mstyle></math>",
         "a#bc#",
         {39, 39},
         true},
        {"<math><mn>1</mn><mo>,</mo><mn>2</mn><msup><mn>9</mn><mo>&#x2218;</mo></msup></math>",
         "1, 29$",
         {0xB0},
         true},
        {"<math><mi>\xf0\x9d\x90\xb1</mi><mo>\xe2\x8b\xaf</mo><mi>\xe2\x8a\xb8</mi></math>",
         "x$?",
         {0xBC},
         true},
    };
    for (const ReadRow& row : rows)
        ExpectReads(ReadMathML(row.input), row);
    const auto noted = ReadMathML(rows.back().input);
    EXPECT_EQ(noted->changes.size(), 3u); // the bold x, the ellipsis, the multimap
    EXPECT_EQ(ReadMathML(rows[6].input)->changes,
              (std::vector<std::string>{"max als letters", "cosh als letters", "sn als letters",
                                        "lim inf als letters"}));
}

TEST(MathMLReader, RefusesWhatIsNotMathMLAndTooDeepNesting) {
    for (const std::string input :
         {"x^2", "<math><mi>x</math>", "<math><mi a=b>x</mi></math>", "<mrow></mrow>",
          "<math><mi>x</mi>", "<math", "<math><mi>x</mi><![CDATA[ab</math>"})
        EXPECT_FALSE(ReadMathML(input)) << input;
    std::string deep = Ns;
    for (int i = 0; i < 40; ++i)
        deep += "<msqrt>";
    deep += "<mi>x</mi>";
    for (int i = 0; i < 40; ++i)
        deep += "</msqrt>";
    EXPECT_FALSE(ReadMathML(deep + "</math>"));
    std::string rows = Ns;
    for (int i = 0; i < 2000; ++i)
        rows += "<mrow>";
    EXPECT_FALSE(ReadMathML(rows));
}

class Paste : public ::testing::Test {
protected:
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    MathLine line{canvas, 200};
    int setterRuns = 0;

    void SetUp() override {
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.SetCodes(Codes({7, 8}));
        line.SetText(T(" a#2#bc"));
        line.EnterFocus();
        line.OnGewijzigd = [this](MathLine&) { ++setterRuns; };
    }
};

TEST_F(Paste, ReplacesTheSelectionKeepsTheCodeStringInStepAndRunsTheSetterOnce) {
    line.Selstart = 5;
    line.Seleinde = 6; // "b", behind the power
    line.CaretPos = 6;
    ASSERT_TRUE(InsertStructures(line, ReadLatex("\\frac{1}{x_2}")->row));
    EXPECT_EQ(line.Text(), T(" a#2##1#x#2##c"));
    EXPECT_EQ(line.Codes(), Codes({7, 8, 15, 16, 30, 31, 17}));
    EXPECT_EQ(line.CaretPos, 13);
    EXPECT_EQ(line.Selstart, 13);
    EXPECT_EQ(setterRuns, 1);
    // In front of the blank the caret goes behind it, as for a typed character.
    line.Selstart = line.Seleinde = line.CaretPos = 0;
    ASSERT_TRUE(InsertStructures(line, ReadLatex("\\pi")->row));
    EXPECT_EQ(line.Text(), T(" #a#2##1#x#2##c"));
    EXPECT_EQ(line.CaretPos, 2);
}

TEST_F(Paste, RefusesALineLongerThanADocumentStores) {
    const Bytes before = line.Text();
    line.Selstart = line.Seleinde = line.CaretPos = 2;
    const std::string fits(LongestStoredLine - before.size(), 'x');
    EXPECT_FALSE(InsertStructures(line, ReadLatex(fits + "y")->row));
    EXPECT_EQ(line.Text(), before);
    EXPECT_EQ(line.Codes(), Codes({7, 8}));
    EXPECT_EQ(line.CaretPos, 2);
    EXPECT_EQ(setterRuns, 0);
    EXPECT_TRUE(InsertStructures(line, ReadLatex(fits)->row));
    EXPECT_EQ(line.Text().size(), LongestStoredLine);
}

// Random LaTeX, well-formed or not, pasted over random selections of a line that lives on.
// After every paste the line is the one the setter makes of the old text with the selection
// replaced, character for character with their own parameters (the shadow), and its code
// string is in step.
TEST(PasteRandom, PastedLatexReplacesTheSelectionWithTheCodeStringInStep) {
    static const std::vector<std::string> pieces = {"x",
                                                    "2",
                                                    "+",
                                                    " ",
                                                    "^",
                                                    "_",
                                                    "{",
                                                    "}",
                                                    "[",
                                                    "]",
                                                    "(",
                                                    ")",
                                                    "|",
                                                    "$",
                                                    "&",
                                                    "\\\\",
                                                    "\\",
                                                    "\\frac",
                                                    "\\sqrt",
                                                    "\\left(",
                                                    "\\right)",
                                                    "\\left[",
                                                    "\\right.",
                                                    "\\int",
                                                    "\\sum",
                                                    "\\log",
                                                    "\\sin",
                                                    "\\alpha",
                                                    "\\pi",
                                                    "\\mathrm{d}",
                                                    "\\mathrm{e}",
                                                    "\\cdot",
                                                    "\\times",
                                                    "{}^{1}\\!/_{2}",
                                                    "\\underline",
                                                    "\\textcolor[RGB]{1,2,3}",
                                                    "\\color{red}",
                                                    "\\text{a b}",
                                                    "\\begin{pmatrix}",
                                                    "\\end{pmatrix}",
                                                    "\\mathbb",
                                                    "\\over",
                                                    "\\foo",
                                                    "\xc3\xa9",
                                                    "\xe2\x88\x9e",
                                                    "%",
                                                    "\\,",
                                                    "\\operatorname{log}",
                                                    "sin",
                                                    "normv"};
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    std::mt19937 random(22);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    for (int l = test::Volume(200); l > 0; --l) {
        MathLine line(canvas, 200);
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.SetText(" ");
        line.EnterFocus();
        for (int step = 0; step < 10; ++step) {
            std::string latex;
            for (int n = below(12); n >= 0; --n)
                latex += pieces[std::size_t(below(int(pieces.size())))];
            SCOPED_TRACE(latex);
            const auto read = ReadLatex(latex);
            ASSERT_TRUE(read);
            const int length = int(line.Text().size());
            line.Selstart = 1 + below(length);
            line.Seleinde = line.Selstart + below(length - line.Selstart + 1);
            line.CaretPos = below(2) ? line.Selstart : line.Seleinde;
            // The shadow: the old pairs with the selection's replaced by the pasted ones.
            const LineBytes pasted = LineFromTree(read->row);
            test::Pairs pairs = test::PairsOf(line.Text(), line.Codes());
            const test::Pairs added = test::PairsOf(pasted.text, pasted.codes);
            pairs.erase(pairs.begin() + line.Selstart, pairs.begin() + line.Seleinde);
            pairs.insert(pairs.begin() + line.Selstart, added.begin(), added.end());
            MathLine shadow(canvas, 200);
            shadow.EnterFocus();
            Bytes text, codes;
            for (const auto& [c, parameter] : pairs) {
                text += c;
                if (parameter >= 0) codes += char(parameter);
            }
            shadow.SetCodes(codes);
            shadow.Selstart = shadow.Seleinde = shadow.CaretPos = line.Selstart + int(added.size());
            const bool fits = text.size() <= LongestStoredLine;
            // Replacing a selection that cuts structures may need more repairs than the setter
            // allows ("Foutje"); then both give up alike, from the same retry budget.
            const int budget = Globals().retryBudget;
            bool shadowGaveUp = false, gaveUp = false, inserted = true;
            if (fits) {
                try {
                    shadow.SetText(text);
                } catch (const ZelmError&) {
                    shadowGaveUp = true;
                }
            }
            Globals().retryBudget = budget;
            try {
                inserted = InsertStructures(line, read->row);
            } catch (const ZelmError&) {
                gaveUp = true;
            }
            ASSERT_EQ(inserted, fits);
            ASSERT_EQ(gaveUp, shadowGaveUp);
            ASSERT_EQ(CountCodeChars(line.Text()), int(line.Codes().size()));
            if (!fits) continue;
            ASSERT_EQ(line.Text(), shadow.Text());
            ASSERT_EQ(line.Codes(), shadow.Codes());
            ASSERT_EQ(line.CaretPos, shadow.CaretPos);
        }
    }
}

TEST(FormulaRoundTrip, TypedLinesComeBackThroughLatexAndMathML) {
    for (const test::CorpusLine& c : test::RandomTypedLines(test::Volume(10000), 2203))
        test::ExpectRoundTrip(c);
}

} // namespace
} // namespace zelm
