// The structure model of a line and its written forms: one table of formulas with their
// LaTeX, MathML and UnicodeMath; the tree giving back its line for typed lines; and the
// model's repairs agreeing with the layout's.
#include <gtest/gtest.h>

#include <random>

#include "exchange/MathWriters.h"
#include "formula/MathLine.h"
#include "support/FormulaCorpus.h"
#include "support/TestVolume.h"

namespace zelm {

void PrintTo(const LineBytes& l, std::ostream* os) {
    *os << testing::PrintToString(l.text) << " codes " << testing::PrintToString(l.codes);
}

namespace {

using namespace test;

struct Formula {
    const char* name;
    Bytes text, codes;
    bool plainText;
    const char* latex;
    const char* mathml; ///< inside the `<math>` element
    const char* unicodeMath;
};

const Bytes s = kStruct;

const Formula Formulas[] = {
    {"power", T("x#2#"), Codes({7, 8}), false, "x^{2}",
     "<msup><mi>x</mi><mrow><mn>2</mn></mrow></msup>", "x^2"},
    {"power over an index", T("x#i##2#"), Codes({30, 31, 7, 8}), false, "x_{i}^{2}",
     "<msubsup><mi>x</mi><mrow><mi>i</mi></mrow><mrow><mn>2</mn></mrow></msubsup>", "x_i^2"},
    {"powers without a base of their own", T("#2##3#"), Codes({7, 8, 7, 8}), false, "{}^{2}{}^{3}",
     "<msup><mrow/><mrow><mn>2</mn></mrow></msup><msup><mrow/><mrow><mn>3</mn></mrow></msup>",
     "^2^3"},
    {"fraction", T("#a+b#12#"), Codes({15, 16, 17}), false, "\\frac{a+b}{12}",
     "<mfrac><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mrow><mn>12</mn></mrow></mfrac>",
     "(a+b)/(12)"},
    {"slanted fraction", T("#1#2#"), Codes({26, 27, 28}), false, "{}^{1}\\!/_{2}",
     "<mfrac bevelled=\"true\"><mrow><mn>1</mn></mrow><mrow><mn>2</mn></mrow></mfrac>",
     "(1)\u2215(2)"},
    {"square root", T("##x#"), Codes({12, 25, 13}), false, "\\sqrt{x}",
     "<msqrt><mrow><mi>x</mi></mrow></msqrt>", "\u221A(x)"},
    {"cube root", T("#3#x#"), Codes({12, 25, 13}), false, "\\sqrt[3]{x}",
     "<mroot><mrow><mi>x</mi></mrow><mrow><mn>3</mn></mrow></mroot>", "\u221B(x)"},
    {"root with an index n", T("#n#x#"), Codes({12, 25, 13}), false, "\\sqrt[n]{x}",
     "<mroot><mrow><mi>x</mi></mrow><mrow><mi>n</mi></mrow></mroot>", "\u221A(n&x)"},
    {"bracket around a fraction", T("##1#x##"), Codes({23, 15, 16, 17, 24}), false,
     "\\left(\\frac{1}{x}\\right)",
     "<mrow><mo fence=\"true\" stretchy=\"true\">(</mo><mrow><mfrac><mrow><mn>1</mn></mrow><mrow>"
     "<mi>x</mi></mrow></mfrac></mrow><mo fence=\"true\" stretchy=\"true\">)</mo></mrow>",
     "((1)/(x))"},
    {"integral with its d", T("#0#1#x#x"), Codes({20, 25, 25, 21}), false,
     "\\int_{0}^{1}x\\mathrm{d}x",
     "<msubsup><mo>\u222B</mo><mrow><mn>0</mn></mrow><mrow><mn>1</mn></mrow></msubsup><mi>x</mi>"
     "<mi mathvariant=\"normal\">d</mi><mi>x</mi>",
     "\u222B_0^1\u2592x\u2146x"},
    {"sum, and a power on it", T("#k=1#n##2#"), Codes({22, 25, 25, 7, 8}), false,
     "\\sum_{k=1}^{n}{}^{2}",
     "<munderover><mo>\u2211</mo><mrow><mi>k</mi><mo>=</mo><mn>1</mn></mrow><mrow><mi>n</mi>"
     "</mrow></munderover><msup><mrow/><mrow><mn>2</mn></mrow></msup>",
     "\u2211_(k=1)^n\u2592^2"},
    {"log with base 2", T("@2#x"), Codes({23, 25}), false, "\\log_{2}x",
     "<msub><mi>log</mi><mrow><mn>2</mn></mrow></msub><mo>\u2061</mo><mi>x</mi>", "log_2 x"},
    {"names and a sign of the name table", T("@x@y@"), Codes({19, 11, 0}), false,
     "\\sin x\\operatorname{abs}y=",
     "<mi mathvariant=\"normal\">sin</mi><mo>\u2061</mo><mi>x</mi><mi mathvariant=\"normal\">abs"
     "</mi><mo>\u2061</mo><mi>y</mi><mo>=</mo>",
     "sin xabs y="},
    {"Symbol characters", T("$$$$"), Codes({'a', 'p', 'W', 0xB3}), false, "\\alpha\\pi\\Omega\\geq",
     "<mi>\u03B1</mi><mi>\u03C0</mi><mi>\u03A9</mi><mo>\u2265</mo>", "\u03B1\u03C0\u03A9\u2265"},
    {"signs", T("######"), Codes({18, 33, 32, 34, 35, 37}), false,
     "\\mathrm{d}\\mathrm{e}\\pi\\times\\cdot\\vert",
     "<mi mathvariant=\"normal\">d</mi><mi mathvariant=\"normal\">e</mi><mi>\u03C0</mi><mo>"
     "\u00D7</mo><mo>\u22C5</mo><mo fence=\"false\" stretchy=\"true\">|</mo>",
     "\u2146\u2147\u03C0\u00D7\u22C5|"},
    {"underline, colour and a lone switch", T("#a##b##"), Codes({38, 38, 39, 39, 38}), false,
     "\\underline{a}\\textcolor{red}{b}",
     "<munder accentunder=\"true\"><mrow><mi>a</mi></mrow><mo>_</mo></munder><mstyle "
     "mathcolor=\"#C80000\"><mrow><mi>b</mi></mrow></mstyle>",
     "ab"},
    {"characters to escape, Windows-1252 beyond ASCII", "#$%&_{}~^\\<\"\xe9\x80 ", "", false,
     "\\#\\$\\%\\&\\_\\{\\}\\sim\\text{\\textasciicircum}\\backslash<\"\\text{\u00E9}\\text{"
     "\u20AC}\\ ",
     "<mo>#</mo><mo>$</mo><mo>%</mo><mo>&amp;</mo><mo>_</mo><mrow><mo stretchy=\"false\">{</mo>"
     "<mo stretchy=\"false\">}</mo></mrow><mo>~</mo><mo>^"
     "</mo><mo>\\</mo><mo>&lt;</mo><mo>&quot;</mo><mi>\u00E9</mi><mtext>\u20AC</mtext><mspace "
     "width=\"0.25em\"/>",
     "#$%&_{}~^\\<\"\u00E9\u20AC "},
    {"plain-text line", "a b&{x}", "", true, "\\text{a\\ b\\&\\{x\\}}",
     "<mtext>a b&amp;{x}</mtext>", "a b&{x}"},
    {"a prime after a power: LaTeX takes one superscript an atom", T("x#2#'"), Codes({7, 8}), false,
     "x^{2}{}'",
     "<msup><mi>x</mi><mrow><mn>2</mn></mrow></msup><msup><mrow/><mo>\u2032</mo></msup>", "x^2'"},
    {"a degree sign after a power is a second superscript", T("x#2#$"), Codes({7, 8, 0xB0}), false,
     "x^{2}{}^{\\degree}", "<msup><mi>x</mi><mrow><mn>2</mn></mrow></msup><mo>\u00B0</mo>",
     "x^2\u00B0"},
    {"a power after primes joins them", T("x'#2#+y''#3#"), Codes({7, 8, 7, 8}), false,
     "x'^{2}+y''^{3}",
     "<msup><mi>x</mi><mo>\u2032</mo></msup><msup><mrow/><mrow><mn>2</mn></mrow></msup><mo>+</mo>"
     "<msup><mi>y</mi><mo>\u2033</mo></msup><msup><mrow/><mrow><mn>3</mn></mrow></msup>",
     "x'^2+y''^3"},
    {"omicron and the section sign, as KaTeX sets them in maths", T("$\xa7"), Codes({'o'}), false,
     "\\omicron\\S", "<mi>\u03BF</mi><mo>\u00A7</mo>", "\u03BF\u00A7"},
    {"a root index that starts with a brace is braced", T("##2##x#"), Codes({12, 7, 8, 25, 13}),
     false, "\\sqrt[{{}^{2}}]{x}",
     "<mroot><mrow><mi>x</mi></mrow><mrow><msup><mrow/><mrow><mn>2</mn></mrow></msup></mrow>"
     "</mroot>",
     "\u221A(^2&x)"},
    {"a plain-text line with a sign of maths", T("a$b"), Codes({242}), true, "\\text{a$\\int$b}",
     "<mtext>a\u222Bb</mtext>", "a\u222Bb"},
    {"power and index crossing: the index's codes stay lone", T("a#b#c#d#"), Codes({7, 30, 8, 31}),
     false, "a^{bc}d", "<msup><mi>a</mi><mrow><mi>b</mi><mi>c</mi></mrow></msup><mi>d</mi>",
     "a^(bc)d"},
    {"the line's blank, a minus, a decimal comma, brackets that do not grow, a power on them",
     T(" -(7,5)#2#"), Codes({7, 8}), false, "-(7{,}5)^{2}",
     "<mo>\u2212</mo><msup><mrow><mo stretchy=\"false\">(</mo><mn>7,5</mn><mo stretchy=\"false\">"
     ")</mo></mrow><mrow><mn>2</mn></mrow></msup>",
     "-(7,5)^2"},
    {"primes join; bars pair up as fences, the bar sign one that may grow", T(" f''|a|+#b#"),
     Codes({37, 37}), false, "f''|a|+\\vert b\\vert",
     "<msup><mi>f</mi><mo>\u2033</mo></msup><mrow><mo fence=\"true\" stretchy=\"false\">|"
     "</mo><mi>a</mi><mo fence=\"true\" stretchy=\"false\">|</mo></mrow><mo>+</mo><mrow><mo "
     "fence=\"true\" stretchy=\"true\">|</mo><mi>b</mi><mo fence=\"true\" stretchy=\"true\">|"
     "</mo></mrow>",
     "f''|a|+|b|"},
    {"an n-ary operand glued; a script of one token ends before a letter", T(" #k=1#N#k#2#y"),
     Codes({22, 25, 25, 7, 8}), false, "\\sum_{k=1}^{N}k^{2}y",
     "<munderover><mo>\u2211</mo><mrow><mi>k</mi><mo>=</mo><mn>1</mn></mrow><mrow><mi>N</mi>"
     "</mrow></munderover><msup><mi>k</mi><mrow><mn>2</mn></mrow></msup><mi>y</mi>",
     "\u2211_(k=1)^N\u2592k^2 y"},
};

TEST(FormulaExchangeTest, FormulasAsLatexMathMLAndUnicodeMath) {
    FreshGlobals fresh;
    for (const Formula& f : Formulas) {
        SCOPED_TRACE(f.name);
        const MathTree tree = BuildTree(f.text, f.codes, f.plainText);
        EXPECT_EQ(LineFromTree(tree.root), (LineBytes{f.text, f.codes}));
        EXPECT_EQ(ToLatex(tree), f.latex);
        EXPECT_EQ(ToMathML(tree),
                  std::string("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow>") +
                      f.mathml + "</mrow></math>");
        EXPECT_EQ(ToUnicodeMath(tree).utf8, f.unicodeMath);
    }
}

/// Code points of a UTF-8 text.
int CodePoints(const std::string& utf8) {
    int n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(FormulaExchangeTest, TypedLinesComeBackFromTheirTree) {
    for (const CorpusLine& c : RandomTypedLines(Volume(10000), 2201)) {
        const MathTree tree = BuildTree(c.line.text, c.line.codes, c.plainText);
        ASSERT_EQ(LineFromTree(tree.root), c.line);
        // The linear form maps every place back into the line, in order.
        const LinearText linear = ToUnicodeMath(tree);
        ASSERT_EQ(int(linear.caretAt.size()), CodePoints(linear.utf8) + 1);
        for (std::size_t i = 0; i < linear.caretAt.size(); ++i) {
            ASSERT_GE(linear.caretAt[i], i ? linear.caretAt[i - 1] : 0);
            ASSERT_LE(linear.caretAt[i], int(c.line.text.size()));
        }
    }
}

// Malformed lines: the tree closes and repairs what the layout closes and repairs, so its line
// is the one the setter stores.
TEST(FormulaExchangeTest, RepairsAgreeWithTheLayout) {
    static constexpr unsigned char kinds[] = {7,  8,  12, 13, 15, 16, 17, 18, 20, 22, 23,
                                              24, 25, 26, 27, 28, 30, 31, 32, 35, 38, 39};
    std::mt19937 rng(2202);
    const auto below = [&](int n) { return int(rng() % unsigned(n)); };
    FixedCanvas canvas;
    for (int n = Volume(10000); n > 0; --n) {
        FreshGlobals fresh;
        Bytes text = " ", codes;
        for (int length = below(40); length > 0; --length) {
            // Letters that spell no name, so that recognition leaves the text alone.
            if (below(2)) {
                text += "xy1+ "[below(5)];
            } else if (below(8) == 0) {
                text += kName;
                codes += char(below(2) ? NameLog : 19);
            } else {
                text += s;
                codes += char(kinds[below(int(std::size(kinds)))]);
            }
        }
        MathLine line(canvas, 300);
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.SetCodes(codes);
        try {
            line.SetText(text);
        } catch (const ZelmError&) {
        }
        ASSERT_EQ(LineFromTree(BuildTree(text, codes, false).root),
                  (LineBytes{line.Text(), line.Codes()}))
            << testing::PrintToString(text) << " " << testing::PrintToString(codes);
    }
}

} // namespace
} // namespace zelm
