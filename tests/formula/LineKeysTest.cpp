// Keystrokes replayed into a line on the fixed canvas, the way a platform delivers them: the
// key down, then the character when the key types one (key scripts: support/KeyScript.h).
// Expected texts write byte 3 as '#', byte 1 as '@' and byte 4 as '$'.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formula/Errors.h"
#include "formula/LineKeys.h"
#include "formula/Painter.h"
#include "support/FixedCanvas.h"
#include "support/KeyScript.h"
#include "support/ShadowPairs.h"
#include "support/TestBytes.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

using test::Codes;
using test::ReplayKeys;
using test::T;

using test::FreshGlobals;

/// A line as the main window sets it up: caret behind the blank, focus taken.
std::unique_ptr<MathLine> NewLine(Canvas& canvas, bool plain = false, const Bytes& start = " ") {
    auto line = std::make_unique<MathLine>(canvas, 200);
    line->SetPlainText(plain);
    line->Selstart = line->Seleinde = line->CaretPos = 1;
    line->SetText(start);
    line->EnterFocus();
    return line;
}

// ---- Table of keystroke scenarios ----

struct Row {
    std::string keys;
    std::string text;
    std::vector<int> codes;
    int selstart, seleinde, caret;
};

struct Scenario {
    std::string name;
    std::vector<Row> rows;
    bool plain = false;
    std::string start = " ";
};

// Test names and failure reports show a scenario by its name, not as raw bytes.
void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

class KeyScenario : public ::testing::TestWithParam<Scenario> {
protected:
    FreshGlobals fresh;
    test::FixedCanvas canvas;
};

TEST_P(KeyScenario, EachRowLeavesTheExpectedLine) {
    const Scenario& s = GetParam();
    auto line = NewLine(canvas, s.plain, s.start);
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const Row& row = s.rows[i];
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + row.keys);
        ReplayKeys(*line, row.keys);
        EXPECT_EQ(line->Text(), T(row.text));
        EXPECT_EQ(line->Codes(), Codes(row.codes));
        EXPECT_EQ(line->Selstart, row.selstart);
        EXPECT_EQ(line->Seleinde, row.seleinde);
        EXPECT_EQ(line->CaretPos, row.caret);
    }
}

const int Pw = 7, PwEnd = 8, Ix = 30, IxEnd = 31, Fr = 15, Bar = 16, FrEnd = 17, Sl = 26,
          Slash = 27, SlEnd = 28;

// Typing characters. Every typed character lands at the caret and the caret goes behind it.
const std::vector<Scenario> TypingScenarios = {
    {"TwoLetters", {{"ab", " ab", {}, 3, 3, 3}}},
    // The empty pair goes; the caret keeps counting the two characters.
    {"EmptyBracketsVanish", {{"(", " (", {}, 2, 2, 2}, {")", " ", {}, 3, 3, 3}}},
    // "/" at the end: opener, the character before the caret, slash, empty denominator; the
    // one character typed there ends the fraction.
    {"SlantedFractionAtTheEnd",
     {{"1/", " #1##", {Sl, Slash, SlEnd}, 4, 4, 4},
      {"2", " #1#2#", {Sl, Slash, SlEnd}, 6, 6, 6},
      {"3", " #1#2#3", {Sl, Slash, SlEnd}, 7, 7, 7}}},
    // In the middle the caret stays in the denominator.
    {"SlantedFractionInTheMiddle",
     {{"ab{Left}", " ab", {}, 2, 2, 2},
      {"/", " #a##b", {Sl, Slash, SlEnd}, 4, 4, 4},
      {"2", " #a#2#b", {Sl, Slash, SlEnd}, 5, 5, 5}}},
    // After a name the opener goes in front of the name, and so does its parameter: the name
    // keeps its own (19, "sin") and becomes the numerator.
    {"SlantedFractionAfterAName", {{"sin/", " #@##", {Sl, 19, Slash, SlEnd}, 4, 4, 4}}},
    // "/" at position 1 puts the opener in front of the blank; Home and Backspace then take
    // that opener with its parameter, and the layout drops the slash and closer left alone.
    {"BackspaceTakesALeadingCodeWithItsParameter",
     {{"/", "# ##", {Sl, Slash, SlEnd}, 3, 3, 3}, {"{A-Home}{BS}", " ", {}, 0, 0, 0}}},
    {"DotIsACentredDotInFormulaMode", {{"1.5", " 1#5", {35}, 4, 4, 4}}},
    {"DotAndBarInPlainText", {{"1.5|", " 1.5#", {37}, 5, 5, 5}}, true},
    // Plain text: Cursieftext equals Text, so the space sees the code behind the caret.
    {"SpaceStepsOverAStructureCode",
     {{"a|b{Left}{Left}", " a#b", {37}, 2, 2, 2}, {" ", " a#b", {37}, 3, 3, 3}},
     true},
    // Formula mode: the italic marker in front of "a" shifts the look-up onto "a", so the
    // space is typed.
    {"SpaceInFormulaModeLooksThroughTheMarkers",
     {{"a|b{Left}{Left}", " a#b", {37}, 2, 2, 2}, {" ", " a #b", {37}, 3, 3, 3}}},
    {"BackspaceBehindACodeTakesItsParameter",
     {{"1.5{Left}", " 1#5", {35}, 3, 3, 3}, {"{BS}", " 15", {}, 2, 2, 2}}},
    // Position 1: the leading blank goes; a line emptied that way gets its blank back with
    // the positions at 0.
    {"BackspaceAtPositionOne",
     {{"ab{Left}{Left}", " ab", {}, 1, 1, 1}, {"{BS}", "ab", {}, 0, 0, 0}}},
    {"BackspaceEmptiesANewLine", {{"{BS}", " ", {}, 0, 0, 0}}},
    // Shift+Left made the selection "bc" with the caret at its start: Backspace takes the
    // "a" in front of it, and the selection moves along.
    {"BackspaceBeforeALeftwardSelection",
     {{"abc{S-Left}{S-Left}", " abc", {}, 2, 4, 2}, {"{BS}", " bc", {}, 1, 3, 1}}},
    {"BackspaceDeletesARightwardSelection",
     {{"abc{Left}{Left}{S-Right}{S-Right}", " abc", {}, 2, 4, 4}, {"{BS}", " a", {}, 2, 2, 2}}},
    {"TypingReplacesTheSelection",
     {{"abc{S-Left}{S-Left}", " abc", {}, 2, 4, 2}, {"x", " ax", {}, 3, 3, 3}}},
    {"BracketKeepsTheSelection",
     {{"abc{S-Left}{S-Left}", " abc", {}, 2, 4, 2}, {"(", " a(bc", {}, 3, 3, 3}}},
    {"RawSymbolEntryIsOneShot",
     {{"{Scroll}p", " $", {'p'}, 2, 2, 2}, {"p", " $p", {'p'}, 3, 3, 3}}},
    // While armed ".", "/" and "|" are plain symbol characters with one parameter each.
    {"RawSymbolEntryTakesStructureCharacters",
     {{"{Scroll}.{Scroll}/{Scroll}|", " $$$", {'.', '/', '|'}, 4, 4, 4}}},
    {"RawSymbolOverASelection", {{"ab{S-Left}{Scroll}m", " a$", {'m'}, 3, 3, 3}}},
    // The placeholder line "0": the key down empties it to its blank with the "0" selected,
    // the character then stands behind the blank.
    {"PlaceholderIsClearedByTyping", {{"a", " a", {}, 2, 2, 2}}, false, "0"},
    // Delete leaves every later closer a level deeper: four lack their slash, the outermost
    // fraction its closer. The five repaired layouts this takes raised "Foutje".
    {"DeleteInNestedSlantedFractions",
     {{"///{Left}/x//x//{Del}",
       "# #######x####x####" + std::string(15, '#'),
       {Sl,    Sl,    Slash, Sl,    Sl,    Slash, Slash, Sl,    Sl,    Slash, Slash,
        Sl,    Sl,    Slash, Slash, Slash, SlEnd, Slash, SlEnd, Slash, SlEnd, Slash,
        SlEnd, Slash, SlEnd, Slash, SlEnd, Slash, SlEnd, Slash, SlEnd},
       18,
       18,
       18}}},
};

// Editing and navigation keys.
const std::vector<Scenario> KeyDownScenarios = {
    {"ShiftLeftTwiceThenShiftRight",
     {{"abcd", " abcd", {}, 5, 5, 5},
      {"{S-Left}{S-Left}", " abcd", {}, 3, 5, 3},
      {"{S-Right}", " abcd", {}, 4, 5, 4}}},
    // Home puts the caret in front of the blank; the next key first moves it behind.
    {"HomeThenRight", {{"ab{Home}", " ab", {}, 0, 0, 0}, {"{Right}", " ab", {}, 2, 2, 2}}},
    {"EndAndPlainArrows",
     {{"ab{Home}{End}", " ab", {}, 3, 3, 3}, {"{Left}{A-Left}", " ab", {}, 1, 1, 1}}},
    {"DeleteInFrontOfACode",
     {{"1.5{Left}{Left}", " 1#5", {35}, 2, 2, 2}, {"{Del}", " 15", {}, 2, 2, 2}}},
    {"DeleteAtTheEndChangesNothing", {{"ab{Del}", " ab", {}, 3, 3, 3}}},
    {"DeleteRemovesTheSelection", {{"abc{S-Left}{S-Left}{Del}", " a", {}, 2, 2, 2}}},
    // Ctrl+Shift and Shift+Alt with a letter or digit: one-character power and index.
    {"OneCharacterScripts",
     {{"{CS-A}", " #a#", {Pw, PwEnd}, 4, 4, 4},
      {"{CS-5}", " #a##5#", {Pw, PwEnd, Pw, PwEnd}, 7, 7, 7},
      {"{SA-N}", " #a##5##n#", {Pw, PwEnd, Pw, PwEnd, Ix, IxEnd}, 10, 10, 10}}},
    // Ctrl+minus over "ab" selected to the right: switches around it, caret behind "b".
    {"UnderlineTheSelection",
     {{"ab{Left}{Left}{S-Right}{S-Right}", " ab", {}, 1, 3, 3},
      {"{C-Minus}", " #ab#", {38, 38}, 4, 4, 4}}},
    // Alt+Up: an empty fraction, caret in the numerator; Down and Up jump between the parts.
    {"FractionJumps",
     {{"ab{A-Up}", " ab###", {Fr, Bar, FrEnd}, 4, 4, 4},
      {"1", " ab#1##", {Fr, Bar, FrEnd}, 5, 5, 5},
      {"{Down}", " ab#1##", {Fr, Bar, FrEnd}, 6, 6, 6},
      {"2", " ab#1#2#", {Fr, Bar, FrEnd}, 7, 7, 7},
      {"{Up}", " ab#1#2#", {Fr, Bar, FrEnd}, 4, 4, 4}}},
    // The derivative: Down from the function place lands behind the denominator's "d", Up
    // from there behind the numerator's "d".
    {"DerivativeJumps",
     {{"{C-D}", " ####x#", {Fr, 18, Bar, 19, FrEnd}, 3, 3, 3},
      {"{Down}", " ####x#", {Fr, 18, Bar, 19, FrEnd}, 5, 5, 5},
      {"{Up}", " ####x#", {Fr, 18, Bar, 19, FrEnd}, 3, 3, 3}}},
    // Ctrl+D right behind the numerator's "d": powers 2 on "d" and behind the variable.
    {"SecondDerivative",
     {{"{C-D}{C-D}", " ###2###x#2##", {Fr, 18, Pw, PwEnd, Bar, 19, Pw, PwEnd, FrEnd}, 6, 6, 6}}},
    {"IntegralTemplate", {{"{C-I}", " #0#x##x", {20, 25, 25, 21}, 6, 6, 6}}},
    {"SumTemplate", {{"{C-S}", " ###", {22, 25, 25}, 4, 4, 4}}},
    // Ctrl+0 opens a bracket; the layout's repair closes it at the end of the line.
    {"BracketOpener", {{"{C-0}", " ##", {23, 24}, 2, 2, 2}}},
    {"SignsByCtrl", {{"{C-E}{C-K}{C-P}", " ###", {33, 34, 32}, 4, 4, 4}}},
    {"PowerAndIndexAroundTheSelection",
     {{"ab{Left}{S-Right}{S-Up}", " a#b#", {Pw, PwEnd}, 4, 4, 4},
      {"{S-Down}", " a#b###", {Pw, Ix, IxEnd, PwEnd}, 5, 5, 5}}},
    // Ctrl+Up: a root with an empty index; the selection becomes the radicand.
    {"RootAroundTheSelection", {{"ab{Left}{S-Right}{C-Up}", " a##b#", {12, 25, 13}, 5, 5, 5}}},
    // After Home the next key moves the whole empty selection behind the blank, so the root
    // opens there empty instead of wrapping a reversed selection.
    {"RootAfterHome", {{"x{Home}{C-Up}", " ###x", {12, 25, 13}, 3, 3, 3}}},
    // Ctrl+Left lands directly behind the previous code character (1 when there is none),
    // Ctrl+Right in front of the next one (the end when there is none).
    {"CtrlLeftAndRight",
     {{"ab|cd|ef", " ab#cd#ef", {37, 37}, 9, 9, 9},
      {"{C-Left}", " ab#cd#ef", {37, 37}, 7, 7, 7},
      {"{C-Left}", " ab#cd#ef", {37, 37}, 4, 4, 4},
      {"{C-Left}", " ab#cd#ef", {37, 37}, 1, 1, 1},
      {"{C-Right}", " ab#cd#ef", {37, 37}, 3, 3, 3},
      {"{C-Right}", " ab#cd#ef", {37, 37}, 6, 6, 6},
      {"{C-Right}", " ab#cd#ef", {37, 37}, 9, 9, 9}}},
};

std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Typing, KeyScenario, ::testing::ValuesIn(TypingScenarios), ScenarioName);
INSTANTIATE_TEST_SUITE_P(Keys, KeyScenario, ::testing::ValuesIn(KeyDownScenarios), ScenarioName);

// ---- Events ----

class KeyEvents : public ::testing::Test {
protected:
    void SetUp() override {
        line = NewLine(canvas);
        line->OnUpDownKeys = [this](MathLine&, int direction) { leaving.push_back(direction); };
        line->Onkeydown = [this](MathLine&, int& key, ShiftState) { passedOn.push_back(key); };
        line->Onkeypress = [this](MathLine&, unsigned char& c) { characters.push_back(c); };
    }

    FreshGlobals fresh;
    test::FixedCanvas canvas;
    std::unique_ptr<MathLine> line;
    std::vector<int> leaving, passedOn, characters;
};

TEST_F(KeyEvents, NavigationLeavesTheLineAtItsEdges) {
    ReplayKeys(*line, "ab{Left}{Left}");
    passedOn.clear();
    ReplayKeys(*line, "{Left}");
    EXPECT_EQ(line->CaretPos, 1);
    ReplayKeys(*line, "{End}{Right}{Up}{Down}");
    EXPECT_EQ(leaving, (std::vector<int>{VK::Left, VK::Right, VK::Up, VK::Down}));
    EXPECT_EQ(line->CaretPos, 3);
    // Only End was passed on: the keys that left the line stopped in the handler.
    EXPECT_EQ(passedOn, (std::vector<int>{0}));
}

TEST_F(KeyEvents, WithoutListenerUpAndDownStillLayOutAndPassOn) {
    line->OnUpDownKeys = nullptr;
    int layouts = 0;
    line->OnGewijzigd = [&](MathLine&) { ++layouts; };
    ReplayKeys(*line, "{Up}{Down}");
    EXPECT_EQ(layouts, 2);
    EXPECT_EQ(passedOn, (std::vector<int>{0, 0}));
}

TEST_F(KeyEvents, PassedOnKeysAndControlCharactersReachTheirEvents) {
    ReplayKeys(*line, "a{C-D}{Enter}{C-Left}");
    // "a", Ctrl+D, Enter and Ctrl+Left keys are passed on with key 0.
    EXPECT_EQ(passedOn, (std::vector<int>{0, 0, 0, 0}));
    // Ctrl+D types character 4, Enter 13; "a" is used by the handler.
    EXPECT_EQ(characters, (std::vector<int>{4, 13}));
}

TEST_F(KeyEvents, ShiftArrowsAndASteppedOverSpaceStop) {
    line->SetPlainText(true);
    ReplayKeys(*line, "a|{Left}");
    passedOn.clear();
    characters.clear();
    ReplayKeys(*line, "{S-Left}{S-Right}");
    EXPECT_TRUE(passedOn.empty());
    // The space key is passed on; its character steps over the code and goes on as 0.
    ReplayKeys(*line, " ");
    EXPECT_EQ(passedOn, (std::vector<int>{0}));
    EXPECT_EQ(characters, (std::vector<int>{0}));
    EXPECT_EQ(line->CaretPos, 3);
}

TEST_F(KeyEvents, RawEntryEndsAfterOneCharacter) {
    ReplayKeys(*line, "{Scroll}");
    EXPECT_TRUE(EditorState().rawSymbolArmed);
    ReplayKeys(*line, "s");
    EXPECT_FALSE(EditorState().rawSymbolArmed);
}

// ---- Deep nesting ----

// Each Ctrl+Up nests a root around what went before; a root's index rises by half the root's
// height, so the height grows by about a quarter per root until the index stops rising at a
// root 30,000 pixels tall. After that each root adds only its own few pixels, and every
// coordinate stays within X11's 32,767 also at 80 roots, about the most a line's record holds
// (74 overflowed int before).
TEST(DeepNesting, NestedRootsKeepTheLineWithinTheDrawableBound) {
    struct Row {
        int roots;
        int lowest, highest; // the line height expected
    };
    // 10 roots: 318 pixels, as before the bound (it applies only beyond 30,000).
    const Row rows[] = {{10, 318, 318}, {40, 30000, 32767}, {74, 30000, 32767}, {80, 30000, 32767}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.roots);
        FreshGlobals fresh;
        test::FixedCanvas canvas;
        auto line = NewLine(canvas);
        std::string keys = "/ ";
        for (int i = 0; i < row.roots; ++i)
            keys += "{C-Up}";
        ReplayKeys(*line, keys + "//");
        const TTextdelen& parts = line->PartList();
        EXPECT_GE(parts.Height(), row.lowest);
        EXPECT_LE(parts.Height(), row.highest);
        EXPECT_EQ(CountCodeChars(line->Text()), int(line->Codes().size()));
        for (int i = 1; i <= line->PartCount(); ++i) {
            for (int v : {parts[i].Left, parts[i].Right, parts[i].Top, parts[i].Bottom})
                ASSERT_LE(std::abs(v), 32767) << "part " << i;
        }
        // It paints, and keys still edit it.
        LinePaintInput in;
        in.parts = &parts;
        in.partCount = line->PartCount();
        in.cursief = &line->Cursieftext();
        in.client = {0, 0, parts.Width(), parts.Height()};
        PaintLine(canvas, in);
        const std::size_t before = line->Text().size();
        ReplayKeys(*line, "{End}a");
        EXPECT_EQ(line->Text().size(), before + 1);
    }
}

// ---- Random keys ----

/// Every key these handlers know, with each modifier set they tell apart.
std::vector<std::string> Vocabulary() {
    std::vector<std::string> v;
    for (const char* c : {"a", "b", "x", "s", "i", "n", "l", "o", "g", "e", "p", "A",  "Z",   "1",
                          "2", "0", " ", ".", "/", "|", "(", ")", "+", "-", "=", "\"", "\xE9"})
        v.push_back(c);
    for (const char* k : {"Left", "Right", "Up", "Down"})
        for (const char* m : {"", "S-", "C-", "A-", "CS-", "SA-", "CA-", "CSA-"})
            v.push_back(std::string("{") + m + k + "}");
    for (const char* k :
         {"{BS}",   "{BS}",    "{BS}",     "{Del}",   "{Del}",     "{Home}", "{End}",
          "{Ins}",  "{Enter}", "{Scroll}", "{C-0}",   "{C-9}",     "{C-E}",  "{C-K}",
          "{C-P}",  "{C-D}",   "{C-I}",    "{C-S}",   "{C-Minus}", "{C-X}",  "{CS-A}",
          "{CS-5}", "{SA-N}",  "{SA-3}",   "{S-Del}", "{A-Home}"})
        v.push_back(k);
    return v;
}

std::string Join(const std::vector<std::string>& tokens) {
    std::string s;
    for (const auto& t : tokens)
        s += t;
    return s;
}

/// A text no key of the vocabulary can type: the focus snapshot of the random lines, so that
/// a fall-back of the setter to the snapshot (a code string that no longer matched) shows.
const Bytes SnapshotMark = "\xA4";

/// A line whose focus snapshot is the mark; it then holds the blank, caret behind it.
std::unique_ptr<MathLine> MarkedLine(Canvas& canvas) {
    auto line = NewLine(canvas, false, SnapshotMark);
    line->SetText(" ");
    return line;
}

bool FellBack(const MathLine& line) {
    return line.Text().find(SnapshotMark) != Bytes::npos;
}

enum class Outcome { Fine, Foutje, FallBack };

/// Replays keys on a fresh marked line.
Outcome Run(const std::vector<std::string>& tokens) {
    FreshGlobals fresh;
    test::FixedCanvas canvas;
    auto line = MarkedLine(canvas);
    try {
        for (const auto& t : tokens) {
            ReplayKeys(*line, t);
            if (FellBack(*line)) return Outcome::FallBack;
        }
    } catch (const ZelmError&) {
        return Outcome::Foutje;
    }
    return Outcome::Fine;
}

/// Delta debugging: drops ever smaller chunks while the rest still ends in `outcome`. A
/// budget of replays bounds the work; the sequence found so far is kept when it runs out.
std::vector<std::string> Reduce(std::vector<std::string> tokens, Outcome outcome) {
    std::size_t chunks = 2;
    int budget = 3000;
    while (tokens.size() >= 2 && budget > 0) {
        const std::size_t size = (tokens.size() + chunks - 1) / chunks;
        bool dropped = false;
        for (std::size_t start = 0; start < tokens.size(); start += size) {
            std::vector<std::string> rest(tokens.begin(), tokens.begin() + long(start));
            rest.insert(rest.end(), tokens.begin() + long(std::min(start + size, tokens.size())),
                        tokens.end());
            if (--budget < 0) break;
            if (Run(rest) == outcome) {
                tokens = rest;
                chunks = std::max<std::size_t>(chunks - 1, 2);
                dropped = true;
                break;
            }
        }
        if (dropped) continue;
        if (size == 1) break;
        chunks = std::min(chunks * 2, tokens.size());
    }
    return tokens;
}

int KeyEpisodeCount() {
    return test::Volume(200000);
}

/// The shortest of the first few failing episodes, each reduced.
struct Findings {
    int count = 0;
    std::vector<std::string> shortest;
    void Add(const std::vector<std::string>& episode, Outcome outcome) {
        if (++count > 3) return; // only the first few are reduced, to keep the run short
        auto reduced = Reduce(episode, outcome);
        EXPECT_EQ(Run(reduced), outcome) << Join(reduced);
        if (shortest.empty() || reduced.size() < shortest.size()) shortest = reduced;
    }
    void Print(const char* what) const {
        if (!shortest.empty())
            std::printf("shortest key sequence %s: %s\n", what, Join(shortest).c_str());
    }
};

/// Random keys into one line: after each key the code string matches the text, the line is
/// not empty and the setter never had to fall back to the focus snapshot. The line starts
/// over after 60 keys or when it grows past 80 characters (the window would split it), which
/// keeps failing sequences short to reduce; a "Foutje" is reduced to its shortest key
/// sequence and printed.
/// Whether the key, replayed on a copy of the line as it was, needs a repaired layout (which
/// may move code characters). The shared state is put back afterwards.
bool Repairs(const MathLine& before, const std::string& key) {
    const EditorGlobals editor = EditorState();
    const FormulaGlobals formula = Globals();
    MathLine copy = before;
    Globals().retryBudget = 0; // the first repair raises "Foutje"
    bool repaired = false;
    try {
        ReplayKeys(copy, key);
    } catch (const ZelmError&) {
        repaired = true;
    }
    EditorState() = editor;
    Globals() = formula;
    return repaired;
}

TEST(KeysFuzz, RandomKeysKeepTheLineConsistent) {
    FreshGlobals fresh;
    test::FixedCanvas canvas;
    const auto vocabulary = Vocabulary();
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> pick(0, vocabulary.size() - 1);
    auto line = MarkedLine(canvas);
    std::vector<std::string> episode;
    // Every fourth line starts near the most its record stores, which no key may pass.
    std::size_t start = 1;
    const auto startOver = [&] {
        FreshGlobals::Reset();
        line = MarkedLine(canvas);
        episode.clear();
        start = random() % 4 ? 1 : LongestStoredLine - random() % 12;
        line->Selstart = line->Seleinde = line->CaretPos = int(start);
        line->SetText(" " + Bytes(start - 1, 'x'));
    };
    Findings foutjes;
    const int count = KeyEpisodeCount();
    for (int n = 0; n < count; ++n) {
        episode.push_back(vocabulary[pick(random)]);
        const test::Pairs before = test::PairsOf(line->Text(), line->Codes());
        const MathLine beforeKey = *line;
        try {
            ReplayKeys(*line, episode.back());
        } catch (const ZelmError& e) {
            ASSERT_STREQ(e.what(), "Foutje");
            foutjes.Add(episode, Outcome::Foutje);
            startOver();
            continue;
        }
        const Bytes& text = line->Text();
        ASSERT_FALSE(text.empty()) << Join(episode);
        ASSERT_EQ(CountCodeChars(text), int(line->Codes().size())) << Join(episode);
        ASSERT_FALSE(FellBack(*line)) << "fell back to the snapshot: " << Join(episode);
        ASSERT_LE(text.size(), LongestStoredLine) << Join(episode);
        // Backspace and Delete remove characters with their own parameters: every character
        // that stays keeps its own (unless a layout repair moved codes as well).
        const test::Pairs after = test::PairsOf(text, line->Codes());
        const bool deletes = episode.back() == "{BS}" || episode.back() == "{Del}";
        if (deletes && !test::KeptPairsAgree(before, after)) {
            ASSERT_TRUE(Repairs(beforeKey, episode.back()))
                << Join(episode) << "\nbefore: " << test::Describe(before)
                << "\nafter:  " << test::Describe(after);
        }
        if (text.size() > start + 80 || episode.size() >= 60) startOver();
    }
    std::printf("%d keys, %d raised Foutje\n", count, foutjes.count);
    foutjes.Print("raising Foutje");
    EXPECT_EQ(foutjes.count, 0) << "keys make only texts that the repairs mend in time";
}

} // namespace
} // namespace zelm
