// The Dutch speech of formula lines: the help pages' and the benchmarks' formulas, each reading
// checked by hand; the caret's context at a few places; random typed lines all say something.
// Lines are written in the notation of support/TestBytes.h, "\x02" for a reference.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "exchange/Speech.h"
#include "formula/Errors.h"
#include "formula/LineKeys.h"
#include "support/FixedCanvas.h"
#include "support/KeyScript.h"
#include "support/TestBytes.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

/// A line in the notation, with its code string's parameters.
struct Line {
    const char* text;
    std::vector<int> codes;
};

MathTree TreeOf(const Line& line, bool plain = false) {
    return BuildTree(test::T(line.text), test::Codes(line.codes), plain);
}

struct Reading {
    Line line;
    const char* speech;
    bool plain = false;
};

// Help pages as typed (a line starts with a blank), then the benchmarks' lines after the
// setter, then the rules neither uses.
const Reading Readings[] = {
    {{" f(x)=x#2#+###x+1##2#+#k=1#n###x#k##",
      {7, 8, 15, 12, 25, 13, 16, 17, 22, 25, 25, 23, 15, 16, 17, 24}},
     "f haakje openen x haakje sluiten is gelijk aan x kwadraat plus breuk, wortel uit x plus 1, "
     "einde wortel, gedeeld door 2, einde breuk, plus som van k is 1 tot n van haakje openen "
     "breuk, x, gedeeld door k, einde breuk, haakje sluiten"},
    {{" x#2#+y#n#", {7, 8, 7, 8}}, "x kwadraat plus y tot de macht n"},
    {{" a#n#+a#n+1#", {30, 31, 30, 31}}, "a index n, plus a index n plus 1, einde index"},
    {{" #a+b#c#", {15, 16, 17}}, "breuk, a plus b, gedeeld door c, einde breuk"},
    {{" #1#2#+#3#4#", {26, 27, 28, 26, 27, 28}}, "een half plus drie vierde"},
    {{" r=##x+1#+#3#8#", {12, 25, 13, 12, 25, 13}},
     "r is gelijk aan wortel uit x plus 1, einde wortel, plus derdemachtswortel uit 8"},
    {{" 2##a#b##", {23, 15, 16, 17, 24}},
     "2 haakje openen breuk, a, gedeeld door b, einde breuk, haakje sluiten"},
    {{" ##f##x#", {15, 18, 16, 19, 17}}, "d f naar d x"},
    {{" 2#r+##x#", {32, 33, 7, 8}}, "2 pi r plus e tot de macht x"},
    {{" #0#x#t#2##x", {20, 25, 25, 7, 8, 21}}, "integraal van 0 tot x van t kwadraat d x"},
    {{" #k=0#n#k#2#", {22, 25, 25, 7, 8}}, "som van k is 0 tot n van k kwadraat"},
    {{" e#x#+x#2#", {7, 8, 7, 8}}, "e tot de macht x, plus x kwadraat"},
    {{" x#n#+y#0#", {30, 31, 30, 31}}, "x index n, plus y index 0"},
    {{" a#2#+b#2#=c#2#, c=5", {7, 8, 7, 8, 7, 8}},
     "a kwadraat plus b kwadraat is gelijk aan c kwadraat, c is gelijk aan 5"},
    {{" y=sin(x)+a.b", {}}, "y=sin(x)+a.b", true},
    {{" y=@(x)+a#b", {19, 35}},
     "y is gelijk aan sinus haakje openen x haakje sluiten plus a keer b"},
    {{" $+$=$#2#", {97, 98, 103, 7, 8}}, "alfa plus bèta is gelijk aan gamma kwadraat"},
    {{" x=#-b+##b#2#-4ac##2a#", {15, 12, 25, 7, 8, 13, 16, 17}},
     "x is gelijk aan breuk, min b plus wortel uit b kwadraat min 4 a c, einde wortel, gedeeld "
     "door 2 a, einde breuk"},
    {{" y=@(x)+#1#2#", {19, 26, 27, 28}},
     "y is gelijk aan sinus haakje openen x haakje sluiten plus een half"},
    {{" ##x#i##2#+@ a##3#y+1###+#k=1#n#k ",
      {23, 15, 30, 31, 7, 8, 16, 16, 12, 25, 13, 17, 24, 22, 25, 25}},
     "haakje openen breuk, x index i, kwadraat plus cosinus a, gedeeld door derdemachtswortel uit "
     "y plus 1, einde wortel, einde breuk, haakje sluiten plus som van k is 1 tot n van k"},
    {{" #a+b#", {23, 24}}, "haakje openen a plus b haakje sluiten"},
    {{" @ x+@ y", {19, 16}}, "sinus x plus cosinus y"},
    {{" a^2+b^2=c^2", {}}, "a tot de macht 2 plus b tot de macht 2 is gelijk aan c tot de macht 2"},
    {{" Een regel gewone tekst", {}}, "Een regel gewone tekst", true},
    {{" @#(x)/2", {23, 25}}, "logaritme van haakje openen x haakje sluiten gedeeld door 2"},
    {{" #0#1#x#x", {20, 25, 25, 21}}, "integraal van 0 tot 1 van x d x"},
    {{" @2#8+@ x-@ #n#x#", {23, 25, 21, 17, 12, 25, 13}},
     "2-logaritme van 8 plus natuurlijke logaritme van x min arcsinus n-demachtswortel uit x"},
    {{" x#3#-x#n+1#+#a+1#3,5#", {7, 8, 7, 8, 12, 25, 13}},
     "x tot de derde min x tot de macht n plus 1, einde macht, plus wortel met wortelexponent a "
     "plus 1, uit 3 komma 5"},
    {{" $$$2$ @($)$#", {68, 112, 163, 112, 20, 97, 187, 32}},
     "grote delta pi is kleiner dan of gelijk aan 2 pi tangens haakje openen alfa haakje sluiten "
     "is ongeveer gelijk aan pi"},
    {{" ##x+1#", {12, 25, 13}}, "wortel uit x plus 1, einde wortel"},
    {{" \x02=#2#r#2##", {1, 38, 32, 7, 8, 38}}, "Opp is gelijk aan 2 pi r kwadraat"},
    {{" ", {}}, "lege regel"},
};

TEST(Speech, ReadingsOfTheHelpPagesAndBenchmarksFormulas) {
    test::FreshGlobals fresh;
    const FormulaSource area{"Opp"};
    Globals().references.push_back(&area);
    for (const Reading& r : Readings)
        EXPECT_EQ(SpeakLine(TreeOf(r.line, r.plain)), r.speech) << r.line.text;
}

// Formulas that differ sound different, by a pause or an end word; bars pair up; small
// fractions as ordinals; a text-mode line follows its structures and reads its words as words.
const Reading Distinct[] = {
    {{" ##x#+y", {12, 25, 13}}, "wortel uit x, plus y"},
    {{" ##x+y#", {12, 25, 13}}, "wortel uit x plus y, einde wortel"},
    {{" x#n#+1", {7, 8}}, "x tot de macht n, plus 1"},
    {{" x#n+1#", {7, 8}}, "x tot de macht n plus 1, einde macht"},
    {{" a#n#+1", {30, 31}}, "a index n, plus 1"},
    {{" a#n+1#", {30, 31}}, "a index n plus 1, einde index"},
    {{" #3#8#=2", {12, 25, 13}}, "derdemachtswortel uit 8, is gelijk aan 2"},
    {{" #3#8=2#", {12, 25, 13}}, "derdemachtswortel uit 8 is gelijk aan 2, einde wortel"},
    {{" e#x##2#", {7, 8, 7, 8}}, "e tot de macht x, kwadraat"},
    {{" e#x#2##", {7, 7, 8, 8}}, "e tot de macht x kwadraat, einde macht"},
    {{" |a-|b||", {}},
     "absolute waarde van a min absolute waarde van b einde absolute waarde einde absolute waarde"},
    {{" #1#2#-#3#4#+#5#8#", {15, 16, 17, 26, 27, 28, 15, 16, 17}},
     "een half min drie vierde plus vijf achtste"},
    {{" #a#b#+G#e#   1 Teken", {15, 16, 17, 7, 8}},
     "breuk, a, gedeeld door b, einde breuk, +G tot de macht e, 1 Teken",
     true},
};

TEST(Speech, FormulasThatDifferSoundDifferent) {
    for (const Reading& r : Distinct)
        EXPECT_EQ(SpeakLine(TreeOf(r.line, r.plain)), r.speech) << r.line.text;
    EXPECT_EQ(SpeakCaretContext(TreeOf(Distinct[12].line, true), 2), "in de teller");
}

struct Move {
    Line line;
    int from, to;
    const char* context; ///< at `to`
    const char* change;
};

const Line fraction{" #a+b#c#", {15, 16, 17}}, roots{" r=##x+1#+#3#8#", {12, 25, 13, 12, 25, 13}},
    function{" f(x)=x#2#+###x+1##2#", {7, 8, 15, 12, 25, 13, 16, 17}},
    sum{" #k=0#n#k", {22, 25, 25}}, bracket{" #a#2##", {23, 7, 8, 24}};
const Move Moves[] = {
    {fraction, 1, 2, "in de teller", "in de teller"},
    {fraction, 5, 6, "in de noemer", "in de noemer"},
    {fraction, 7, 8, "", "na de breuk"},
    {fraction, 2, 1, "", "voor de breuk"},
    {roots, 8, 9, "", "uit de wortel"},
    {roots, 9, 11, "in de wortelexponent", "in de wortelexponent"},
    {function, 12, 14, "onder de wortel, in de teller", "onder de wortel"},
    {function, 14, 18, "in de teller", "uit de wortel"},
    {function, 17, 19, "in de noemer", "in de noemer"},
    {function, 10, 8, "in de exponent", "in de exponent"},
    {function, 19, 10, "", "voor de breuk"},
    {sum, 2, 6, "in de bovengrens", "in de bovengrens"},
    {sum, 6, 8, "", "na de grenzen"},
    {bracket, 5, 6, "tussen de haakjes", "uit de exponent"},
};

TEST(Speech, ContextOfTheCaretAndItsChanges) {
    for (const Move& m : Moves) {
        const MathTree tree = TreeOf(m.line);
        EXPECT_EQ(SpeakCaretContext(tree, m.to), m.context) << m.line.text << " at " << m.to;
        EXPECT_EQ(SpeakContextChange(tree, m.from, m.to), m.change)
            << m.line.text << " from " << m.from << " to " << m.to;
        EXPECT_EQ(SpeakContextChange(tree, m.to, m.to), "");
    }
}

/// Key scripts of single keystrokes; "{Scroll}" arms raw symbol entry for the key after it.
std::vector<std::string> Keyboard() {
    std::vector<std::string> keys;
    for (char c : std::string("abxnklogsietp0123+-=*/.,()<>| \xE9\xB2"))
        keys.emplace_back(1, c);
    for (char c : std::string("apsgD"))
        keys.push_back(std::string("{Scroll}") + c);
    for (const char* k :
         {"Left",   "Right",  "Up",     "Down", "Home", "End", "Del", "BS",  "S-Up", "C-Up", "A-Up",
          "S-Down", "C-Down", "A-Down", "C-0",  "C-D",  "C-E", "C-I", "C-K", "C-P",  "C-S"})
        keys.push_back(std::string("{") + k + "}");
    return keys;
}

TEST(SpeechFuzz, RandomTypedLinesAllSaySomething) {
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    const std::vector<std::string> keys = Keyboard();
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
    auto line = std::make_unique<MathLine>(canvas, 200);
    const int count = test::Volume(10000);
    for (int n = 0; n < count; ++n) {
        if (n % 40 == 0) {
            test::FreshGlobals::Reset();
            line = std::make_unique<MathLine>(canvas, 200);
            line->Selstart = line->Seleinde = line->CaretPos = 1;
            line->SetText(" ");
        }
        const int before = line->CaretPos;
        try {
            EditorState().rawSymbolArmed = false;
            test::ReplayKeys(*line, keys[pick(random)]);
        } catch (const ZelmError&) {
            Globals().retryBudget = 4;
        }
        const MathTree tree = BuildTree(line->Text(), line->Codes(), line->PlainText());
        ASSERT_FALSE(SpeakLine(tree).empty()) << n;
        SpeakContextChange(tree, before, line->CaretPos);
    }
    std::printf("%d lines spoken\n", count);
}

} // namespace
} // namespace zelm
