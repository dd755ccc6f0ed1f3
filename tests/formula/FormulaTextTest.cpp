#include <gtest/gtest.h>

#include "formula/FormulaText.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

using namespace test;

TEST(CodePositions, CountOnlyCodesThatOwnAParameter) {
    const Bytes text = B({" a", kName, kOn, "b", kOff, kStruct, kSym});
    EXPECT_EQ(CountCodeChars(text), 3);
    // 1-based positions: ' '=1 'a'=2 name=3 on=4 'b'=5 off=6 struct=7 sym=8.
    EXPECT_EQ(CodeIndexAt(text, 1), 0);
    EXPECT_EQ(CodeIndexAt(text, 3), 0);
    EXPECT_EQ(CodeIndexAt(text, 4), 1);
    EXPECT_EQ(CodeIndexAt(text, 8), 2);
    // Just past the end the last code counts too; far past it nothing more is added.
    EXPECT_EQ(CodeIndexAt(text, 9), 3);
    EXPECT_EQ(CodeIndexAt(text, 50), 3);
}

TEST(CodePositions, InsertAndDeleteKeepTheParametersInStep) {
    Bytes text = " ab";
    Bytes codes;
    InsertStructureCode(text, codes, 4, StructKind::Power); // at the end
    InsertStructureCode(text, codes, 2, StructKind::Bracket);
    InsertCodeChar(text, codes, 4, Code::Symbol, 'p'); // between "a" and "b"
    EXPECT_EQ(text, T(" #a$b#"));
    EXPECT_EQ(codes, Codes({23, 'p', 7}));

    DeleteCodeChar(text, codes, 4); // the symbol
    EXPECT_EQ(text, T(" #ab#"));
    EXPECT_EQ(codes, Codes({23, 7}));
    DeleteCodeChar(text, codes, 3); // a plain letter has no parameter
    EXPECT_EQ(text, T(" #b#"));
    EXPECT_EQ(codes, Codes({23, 7}));
    DeleteCodeChar(text, codes, 2);
    EXPECT_EQ(codes, P(7));
    DeleteCodeChar(text, codes, 0); // outside: nothing
    DeleteCodeChar(text, codes, 9);
    EXPECT_EQ(text, T(" b#"));
}

TEST(CodePositions, ReplaceNameLeavesOneCodeWithItsParameter) {
    Bytes text = T(" x#cos y");
    Bytes codes = P(7);
    ReplaceName(text, codes, 4, 3, Code::Name, 16);
    EXPECT_EQ(text, T(" x#@ y"));
    EXPECT_EQ(codes, Codes({7, 16}));
}

struct Recognised {
    Bytes text, codes;
    int caret;
    bool replaced;
};
Recognised Recognise(Bytes text, Bytes codes, int caret) {
    const bool r = RecognizeNamesOnce(text, codes, caret);
    return {text, codes, caret, r};
}

TEST(NameRecognition, NameAtTheEndKeepsTheCaretBehindIt) {
    // " sin", caret 4: the name starts at 2 < 4, so the caret moves back by 3 - 1.
    const auto r = Recognise(" sin", "", 4);
    EXPECT_TRUE(r.replaced);
    EXPECT_EQ(r.text, T(" @"));
    EXPECT_EQ(r.codes, P(19));
    EXPECT_EQ(r.caret, 2);
}

TEST(NameRecognition, NameBehindTheCaretLeavesItAlone) {
    // The name starts at 4, not before caret 2.
    const auto r = Recognise(" a sin", "", 2);
    EXPECT_EQ(r.text, T(" a @"));
    EXPECT_EQ(r.caret, 2);
    // Starting exactly at the caret does not count as before it either.
    EXPECT_EQ(Recognise(" a sin", "", 4).caret, 4);
}

TEST(NameRecognition, LongerNamesWinAndCaseMatters) {
    EXPECT_EQ(Recognise(" arcsin", "", 7).codes, P(17));
    EXPECT_EQ(Recognise(" arctan", "", 7).codes, P(18));
    EXPECT_EQ(Recognise(" 2eafg", "", 6).codes, P(28));
    EXPECT_EQ(Recognise(" Log", "", 4).codes, P(39));
    // "intgr" comes first, so the longer name is never whole.
    const auto r = Recognise(" intgr[0,x]", "", 11);
    EXPECT_EQ(r.text, T(" @[0,x]"));
    EXPECT_EQ(r.codes, P(35));
    EXPECT_FALSE(Recognise(" SIN", "", 4).replaced);
}

TEST(NameRecognition, OnlyTheFirstOccurrenceAndNotAfterAQuote) {
    // One pass replaces the first "sin" only.
    auto r = Recognise(" sin+sin", "", 8);
    EXPECT_EQ(r.text, T(" @+sin"));
    // Both starts lie before caret 8: 8 - 2 = 6.
    EXPECT_EQ(r.caret, 6);
    r = Recognise(r.text, r.codes, r.caret);
    EXPECT_EQ(r.text, T(" @+@"));
    EXPECT_EQ(r.codes, Codes({19, 19}));
    EXPECT_EQ(r.caret, 4);
    EXPECT_FALSE(Recognise(r.text, r.codes, r.caret).replaced);

    // A quoted first occurrence shields the later one as well.
    r = Recognise(" \"sin sin", "", 9);
    EXPECT_FALSE(r.replaced);
    EXPECT_EQ(r.text, " \"sin sin");
    EXPECT_EQ(r.caret, 9);
}

TEST(NameRecognition, SeveralDifferentNamesInOnePassGoInTableOrder) {
    // "cos" (16) is handled before "ln" (21); each fixes its own code position.
    const auto r = Recognise(" ln cos", "", 7);
    EXPECT_EQ(r.text, T(" @ @"));
    EXPECT_EQ(r.codes, Codes({21, 16}));
    // cos at 5 < 7: 7 - 2 = 5; then ln at 2 < 5: 5 - 1 = 4.
    EXPECT_EQ(r.caret, 4);
}

TEST(NameRecognition, LogGetsItsBaseSeparator) {
    // " log", caret 4: 4 - 2 = 2, then + 1 for the separator: behind it.
    auto r = Recognise(" log", "", 4);
    EXPECT_EQ(r.text, T(" @#"));
    EXPECT_EQ(r.codes, Codes({23, 25}));
    EXPECT_EQ(r.caret, 3);
    // The separator's caret step happens also when the name lies behind the caret.
    r = Recognise(T(" #log"), P(7), 1);
    EXPECT_EQ(r.text, T(" #@#"));
    EXPECT_EQ(r.codes, Codes({7, 23, 25}));
    EXPECT_EQ(r.caret, 2);
}

TEST(NameRecognition, NormvAndCumnvBringTheirArguments) {
    auto r = Recognise(" normv", "", 6);
    EXPECT_EQ(r.text, T(" @(Ex);(Sd);(x)"));
    EXPECT_EQ(r.codes, P(31));
    EXPECT_EQ(r.caret, 2);

    // In front of a power, so that "m" and "s" must go between 32 and 7.
    r = Recognise(T(" cumnv#"), P(7), 6);
    EXPECT_EQ(r.text, T(" @($);($);(Xl);(x)#"));
    EXPECT_EQ(r.codes, Codes({32, 'm', 's', 7}));
    EXPECT_EQ(r.caret, 2);
}

TEST(NameRecognition, ItalicMarkersInTheTextDoNotDisturbCodePositions) {
    // Markers can reach Text through TextPlusCode; they own no parameter.
    const auto r = Recognise(B({" ", kOn, "x", kOff, kStruct, "tan"}), P(8), 9);
    EXPECT_EQ(r.text, B({" ", kOn, "x", kOff, kStruct, kName}));
    EXPECT_EQ(r.codes, Codes({8, 20}));
}

TEST(FormulaReferences, FirstOccurrenceBecomesAReferenceAndSelfIsSkipped) {
    Globals().Reset();
    FormulaSource self{"f"}, area{"opp"}, volume{"inh"}, absent{"zzz"}, empty{""};
    Globals().references.push_back(&volume); // already listed: keeps its place
    Bytes text = " f=opp*inh+opp";
    Bytes codes;
    MakeReferences(text, codes, {&self, &area, &volume, &absent, &empty, nullptr}, &self);
    EXPECT_EQ(text, B({" f=", kRef, "*", kRef, "+opp"}));
    EXPECT_EQ(codes, Codes({2, 1}));
    ASSERT_EQ(Globals().references.size(), 2u);
    EXPECT_EQ(Globals().references[1], &area);
    EXPECT_EQ(NameForCode(Code::Reference, 2), "opp");
    Globals().Reset();
}

TEST(Italics, RunsOfLettersAndSymbolsAreWrapped) {
    EXPECT_EQ(MarkItalics("ab1c"), B({kOn, "ab", kOff, "1", kOn, "c", kOff}));
    EXPECT_EQ(MarkItalics(T(" $x@y")), B({" ", kOn, kSym, "x", kOff, kName, kOn, "y", kOff}));
    EXPECT_EQ(MarkItalics(" 12+"), " 12+");
    EXPECT_EQ(MarkItalics(""), "");
    // Markers already in the text end a run; the new ones wrap around them.
    EXPECT_EQ(MarkItalics(B({kOn, "a", kOff})), B({kOn, kOn, "a", kOff, kOff}));
    EXPECT_EQ(StripItalicMarkers(B({kOn, kOn, "a", kOff, "1", kOff})), "a1");
}

} // namespace
} // namespace zelm
