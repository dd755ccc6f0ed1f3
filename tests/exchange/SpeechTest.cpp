// The Dutch speech of formula lines: the help pages' and the benchmarks' formulas, each reading
// checked by hand; the caret's context at a few places; random typed lines all say something.
// Lines are written with each code character and its parameter together: "<s7>" is structure
// code 7, "<n19>" name 19, "<y97>" the "Symbol" character 97, "<r1>" reference 1.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "exchange/Speech.h"
#include "formula/Errors.h"
#include "formula/LineKeys.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

MathTree TreeOf(const std::string& written, bool plain = false) {
    Bytes text, codes;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto close = written.find('>', i);
        if (written[i] != '<' || close == std::string::npos) {
            text += written[i];
            continue;
        }
        text += char(std::string("nrsy").find(written[i + 1]) + 1);
        codes += char(std::stoi(written.substr(i + 2, close - i - 2)));
        i = close;
    }
    return BuildTree(text, codes, plain);
}

struct Reading {
    const char* line;
    const char* speech;
    bool plain = false;
};

// Help pages as typed (a line starts with a blank), then the benchmarks' lines after the
// setter, then the rules neither uses.
const Reading Readings[] = {
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>+<s22>k=1<s25>n<s25><s23><s15>x<s16>k<s17>"
     "<s24>",
     "f haakje openen x haakje sluiten is gelijk aan x kwadraat plus breuk, wortel uit x plus 1, "
     "einde wortel, gedeeld door 2, einde breuk, plus som van k is 1 tot n van haakje openen "
     "breuk, x, gedeeld door k, einde breuk, haakje sluiten"},
    {" x<s7>2<s8>+y<s7>n<s8>", "x kwadraat plus y tot de macht n"},
    {" a<s30>n<s31>+a<s30>n+1<s31>", "a index n plus a index n plus 1"},
    {" <s15>a+b<s16>c<s17>", "breuk, a plus b, gedeeld door c, einde breuk"},
    {" <s26>1<s27>2<s28>+<s26>3<s27>4<s28>",
     "breuk, 1, gedeeld door 2, einde breuk, plus breuk, 3, gedeeld door 4, einde breuk"},
    {" r=<s12><s25>x+1<s13>+<s12>3<s25>8<s13>",
     "r is gelijk aan wortel uit x plus 1, einde wortel, plus derdemachtswortel uit 8"},
    {" 2<s23><s15>a<s16>b<s17><s24>",
     "2 haakje openen breuk, a, gedeeld door b, einde breuk, haakje sluiten"},
    {" <s15><s18>f<s16><s19>x<s17>", "d f naar d x"},
    {" 2<s32>r+<s33><s7>x<s8>", "2 pi r plus e tot de macht x"},
    {" <s20>0<s25>x<s25>t<s7>2<s8><s21>x", "integraal van 0 tot x van t kwadraat d x"},
    {" <s22>k=0<s25>n<s25>k<s7>2<s8>", "som van k is 0 tot n van k kwadraat"},
    {" e<s7>x<s8>+x<s7>2<s8>", "e tot de macht x plus x kwadraat"},
    {" x<s30>n<s31>+y<s30>0<s31>", "x index n plus y index 0"},
    {" a<s7>2<s8>+b<s7>2<s8>=c<s7>2<s8>, c=5",
     "a kwadraat plus b kwadraat is gelijk aan c kwadraat, c is gelijk aan 5"},
    {" y=sin(x)+a.b", "y=sin(x)+a.b", true},
    {" y=<n19>(x)+a<s35>b", "y is gelijk aan sinus haakje openen x haakje sluiten plus a keer b"},
    {" <y97>+<y98>=<y103><s7>2<s8>", "alfa plus bèta is gelijk aan gamma kwadraat"},
    {" x=<s15>-b+<s12><s25>b<s7>2<s8>-4ac<s13><s16>2a<s17>",
     "x is gelijk aan breuk, min b plus wortel uit b kwadraat min 4 a c, einde wortel, gedeeld "
     "door 2 a, einde breuk"},
    {" y=<n19>(x)+<s26>1<s27>2<s28>",
     "y is gelijk aan sinus haakje openen x haakje sluiten plus breuk, 1, gedeeld door 2, einde "
     "breuk"},
    {" <s23><s15>x<s30>i<s31><s7>2<s8>+<n16> a<s16><s12>3<s25>y+1<s13><s17><s24>+<s22>k=1<s25>n"
     "<s25>k ",
     "haakje openen breuk, x index i kwadraat plus cosinus a, gedeeld door derdemachtswortel uit "
     "y plus 1, einde wortel, einde breuk, haakje sluiten plus som van k is 1 tot n van k"},
    {" <s23>a+b<s24>", "haakje openen a plus b haakje sluiten"},
    {" <n19> x+<n16> y", "sinus x plus cosinus y"},
    {" a^2+b^2=c^2", "a tot de macht 2 plus b tot de macht 2 is gelijk aan c tot de macht 2"},
    {" Een regel gewone tekst", "Een regel gewone tekst", true},
    {" <n23><s25>(x)/2", "logaritme van haakje openen x haakje sluiten gedeeld door 2"},
    {" <s20>0<s25>1<s25>x<s21>x", "integraal van 0 tot 1 van x d x"},
    {" <n23>2<s25>8+<n21> x-<n17> <s12>n<s25>x<s13>",
     "2-logaritme van 8 plus natuurlijke logaritme van x min arcsinus n-demachtswortel uit x"},
    {" x<s7>3<s8>-x<s7>n+1<s8>+<s12>a+1<s25>3,5<s13>",
     "x tot de derde min x tot de macht n plus 1, einde macht, plus wortel met wortelexponent a "
     "plus 1, uit 3 komma 5"},
    {" <y68><y112><y163>2<y112> <n20>(<y97>)<y187><s32>",
     "grote delta pi is kleiner dan of gelijk aan 2 pi tangens haakje openen alfa haakje sluiten "
     "is ongeveer gelijk aan pi"},
    {" <s12><s25>x+1<s13>", "wortel uit x plus 1"},
    {" <r1>=<s38>2<s32>r<s7>2<s8><s38>", "Opp is gelijk aan 2 pi r kwadraat"},
    {" ", "lege regel"},
};

TEST(Speech, ReadingsOfTheHelpPagesAndBenchmarksFormulas) {
    test::FreshGlobals fresh;
    const FormulaSource area{"Opp"};
    Globals().references.push_back(&area);
    for (const Reading& r : Readings)
        EXPECT_EQ(SpeakLine(TreeOf(r.line, r.plain)), r.speech) << r.line;
}

struct Move {
    const char* line;
    int from, to;
    const char* context; ///< at `to`
    const char* change;
};

const Move Moves[] = {
    {" <s15>a+b<s16>c<s17>", 1, 2, "in de teller", "in de teller"},
    {" <s15>a+b<s16>c<s17>", 5, 6, "in de noemer", "in de noemer"},
    {" <s15>a+b<s16>c<s17>", 7, 8, "", "na de breuk"},
    {" <s15>a+b<s16>c<s17>", 2, 1, "", "voor de breuk"},
    {" r=<s12><s25>x+1<s13>+<s12>3<s25>8<s13>", 8, 9, "", "uit de wortel"},
    {" r=<s12><s25>x+1<s13>+<s12>3<s25>8<s13>", 9, 11, "in de wortelexponent",
     "in de wortelexponent"},
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>", 12, 14, "onder de wortel, in de teller",
     "onder de wortel"},
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>", 14, 18, "in de teller",
     "uit de wortel"},
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>", 17, 19, "in de noemer", "in de noemer"},
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>", 10, 8, "in de exponent",
     "in de exponent"},
    {" f(x)=x<s7>2<s8>+<s15><s12><s25>x+1<s13><s16>2<s17>", 19, 10, "", "voor de breuk"},
    {" <s22>k=0<s25>n<s25>k", 2, 6, "in de bovengrens", "in de bovengrens"},
    {" <s22>k=0<s25>n<s25>k", 6, 8, "", "na de grenzen"},
    {" <s23>a<s7>2<s8><s24>", 5, 6, "tussen de haakjes", "uit de exponent"},
};

TEST(Speech, ContextOfTheCaretAndItsChanges) {
    for (const Move& m : Moves) {
        const MathTree tree = TreeOf(m.line);
        EXPECT_EQ(SpeakCaretContext(tree, m.to), m.context) << m.line << " at " << m.to;
        EXPECT_EQ(SpeakContextChange(tree, m.from, m.to), m.change)
            << m.line << " from " << m.from << " to " << m.to;
        EXPECT_EQ(SpeakContextChange(tree, m.to, m.to), "");
    }
}

/// One keystroke as the platform delivers it: a key down, then its character if it types one.
struct Key {
    int vk;
    ShiftState shift;
    int ch = -1;
    bool symbol = false; ///< raw symbol entry armed first (Scroll Lock)
};

std::vector<Key> Keyboard() {
    std::vector<Key> keys;
    for (char c : std::string("abxnklogsietp0123+-=*/.,()<>| \xE9\xB2"))
        keys.push_back({0, {}, (unsigned char)c});
    for (char c : std::string("apsgD"))
        keys.push_back({0, {}, c, true});
    const ShiftState none, shift{true}, ctrl{false, true}, alt{false, false, true};
    for (int vk : {VK::Left, VK::Right, VK::Up, VK::Down, VK::Home, VK::End, VK::Delete})
        keys.push_back({vk, none});
    keys.push_back({VK::Back, none, VK::Back});
    for (int vk : {VK::Up, VK::Down})
        for (ShiftState s : {shift, ctrl, alt})
            keys.push_back({vk, s});
    for (int vk : {'0', 'D', 'E', 'I', 'K', 'P', 'S'})
        keys.push_back({vk, ctrl, vk >= 'A' ? (vk & 0x1F) : -1});
    return keys;
}

void Deliver(MathLine& line, const Key& k) {
    EditorState().rawSymbolArmed = k.symbol;
    if (k.vk != 0) {
        int vk = k.vk;
        KeyDown(line, vk, k.shift);
    }
    if (k.ch >= 0) {
        auto c = static_cast<unsigned char>(k.ch);
        KeyPress(line, c);
    }
}

TEST(SpeechFuzz, RandomTypedLinesAllSaySomething) {
    test::FreshGlobals fresh;
    test::FixedCanvas canvas;
    const std::vector<Key> keys = Keyboard();
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
            Deliver(*line, keys[pick(random)]);
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
