// Keystrokes replayed into the main window as Qt delivers them: the key event goes through the
// window's shortcuts and key preview to the focused line, which turns it into a key down and,
// when the key types one, a character. Lines are measured on the fixed canvas.
//
// Key scripts and the text Qt gives each key: support/KeyScriptQt.h.
// Expected texts write byte 3 as '#', byte 1 as '@' and byte 4 as '$'.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <random>
#include <set>

#include "app/MainWindow.h"
#include "dialogs/FunctieFormMath.h"
#include "editor/LineAccessible.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "platform/FontMetricsTables.h"
#include "platform/KeyCodes.h"
#include "support/FixedLines.h"
#include "support/KeyScriptQt.h"
#include "support/TestBytes.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

using test::QtKeystroke;
using test::TextOfKey;

struct LineState {
    Bytes text;
    std::vector<int> codes;
    int selstart, seleinde, caret;
};

class MainWindowKeysTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        Restart();
    }
    void TearDown() override {
        window.reset();
        TMathEditor::beep = nullptr;
    }

    void Restart() {
        window.reset();
        EditorState().Reset();
        window = std::make_unique<TBasisMath>(programDir.path(), [](const QString&) {});
        window->showError = [](const QString& m) { ADD_FAILURE() << m.toStdString(); };
        beeps = 0; // counted, not sounded
        TMathEditor::beep = [this] { ++beeps; };
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    /// Sends the keys of `script` to whatever widget has the focus, one by one.
    void Type(const std::string& script) {
        for (const QtKeystroke& k : test::QtKeystrokesOf(script))
            Send(k);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Send(const QtKeystroke& k) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        if (k.commit) {
            QInputMethodEvent e;
            e.setCommitString(k.text);
            QApplication::sendEvent(target, &e);
            return;
        }
        QTest::sendKeyEvent(QTest::Press, target, k.key, k.text, k.modifiers);
        if (QWidget* still = QApplication::focusWidget())
            QTest::sendKeyEvent(QTest::Release, still, k.key, k.text, k.modifiers);
    }

    void ExpectLines(const std::vector<LineState>& expected, const std::string& row) {
        SCOPED_TRACE(row);
        const auto& lines = window->Lines();
        ASSERT_EQ(lines.size(), expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE("line " + std::to_string(i));
            const MathLine& m = lines[i]->Line();
            EXPECT_EQ(m.Text(), test::T(expected[i].text));
            EXPECT_EQ(m.Codes(), test::Codes(expected[i].codes));
            EXPECT_EQ(m.Selstart, expected[i].selstart);
            EXPECT_EQ(m.Seleinde, expected[i].seleinde);
            EXPECT_EQ(m.CaretPos, expected[i].caret);
            EXPECT_EQ(lines[i]->LineIndex(), int(i));
        }
    }

    struct Row {
        std::string keys;
        std::vector<LineState> lines;
        int focused; ///< the line with the focus afterwards
    };
    void Replay(const std::vector<Row>& rows) {
        for (const Row& r : rows) {
            Type(r.keys);
            ExpectLines(r.lines, r.keys);
            EXPECT_EQ(window->CurrentLine(), window->Lines()[std::size_t(r.focused)]) << r.keys;
        }
    }

    TMathEditor* Line(int i) const { return window->Lines()[std::size_t(i)]; }

    QTemporaryDir programDir;
    std::unique_ptr<TBasisMath> window;
    int beeps = 0; ///< since the last Restart
};

TEST_F(MainWindowKeysTest, CtrlTSwitchesTheLineToFormulaModeAndAFormulaIsTyped) {
    EXPECT_TRUE(Line(0)->PlainText());
    Type("{C-T}");
    EXPECT_FALSE(Line(0)->PlainText());
    EXPECT_FALSE(window->popPlainText->isChecked());
    // "sin" becomes the name (19), the caret moving back with it; "(" and ")" stay; "/" makes
    // the slanted fraction whose one-character denominator at the end of the line ends it.
    Replay({{"y=sin", {{" y=@", {19}, 4, 4, 4}}, 0},
            {"(x)+1", {{" y=@(x)+1", {19}, 9, 9, 9}}, 0},
            {"/", {{" y=@(x)+#1##", {19, 26, 27, 28}, 11, 11, 11}}, 0},
            {"2", {{" y=@(x)+#1#2#", {19, 26, 27, 28}, 13, 13, 13}}, 0}});
}

// The check mark is the focused line's mode, so Ctrl+T always switches; it says the new mode.
TEST_F(MainWindowKeysTest, CtrlTAlwaysSwitchesTheFocusedLineAndSaysItsMode) {
    static QStringList said;
    eventSink = [](QAccessibleEvent* e) {
        if (e->type() == QAccessible::ObjectShow) said << e->accessibleInterface()->text({});
    };
    listeningOverride = true;
    Type("{Enter}");
    for (const auto& [keys, line, plain, words] :
         std::vector<std::tuple<const char*, int, bool, QStringList>>{
             {"{C-T}", 1, false, {"formulemodus"}},
             {"{Up}{Down}", 1, false, {}},
             {"{C-T}", 1, true, {"tekstmodus"}}}) {
        said.clear();
        Type(keys);
        EXPECT_EQ(window->CurrentLine(), Line(line)) << keys;
        EXPECT_EQ(Line(line)->PlainText(), plain) << keys;
        EXPECT_EQ(window->popPlainText->isChecked(), plain) << keys;
        EXPECT_EQ(said, words) << keys;
    }
    listeningOverride.reset();
    eventSink = nullptr;
}

TEST_F(MainWindowKeysTest, ModifiedKeysReachTheLineAsTheirKeyCodes) {
    Type("{C-T}");
    Replay({// Ctrl+Shift+letter: a power holding the lower-case letter; the control character
            // that the key also types is passed on.
            {"{CS-A}", {{" #a#", {7, 8}, 4, 4, 4}}, 0},
            {"{CS-5}", {{" #a##5#", {7, 8, 7, 8}, 7, 7, 7}}, 0},
            // Shift+Alt+letter: an index; Alt keys type no character.
            {"{SA-N}", {{" #a##5##n#", {7, 8, 7, 8, 30, 31}, 10, 10, 10}}, 0}});
}

TEST_F(MainWindowKeysTest, CtrlMinusUnderlinesTheSelection) {
    Type("{C-T}");
    Replay({{"ab{Left}{Left}{S-Right}{S-Right}", {{" ab", {}, 1, 3, 3}}, 0},
            // Two underline switches around "ab"; the caret behind "b", in front of the second.
            {"{C-Minus}", {{" #ab#", {38, 38}, 4, 4, 4}}, 0}});
}

TEST_F(MainWindowKeysTest, ScrollLockMakesTheNextCharacterASymbol) {
    Type("{C-T}");
    Replay({{"{Scroll}p", {{" $", {'p'}, 2, 2, 2}}, 0}, {"p", {{" $p", {'p'}, 3, 3, 3}}, 0}});
    EXPECT_FALSE(EditorState().rawSymbolArmed);
}

TEST_F(MainWindowKeysTest, EnterSplitsALineAndBackspaceJoinsItAgain) {
    Replay({{"a+b{Left}{Left}", {{" a+b", {}, 2, 2, 2}}, 0},
            // The tail goes to a new line behind a blank; the caret of the first line stays.
            {"{Enter}", {{" a", {}, 2, 2, 2}, {" +b", {}, 1, 1, 1}}, 1}});
    // The first line shows no selection any more: the tail it selected for the split is gone.
    const MathLine& first = Line(0)->Line();
    EXPECT_EQ(first.DispSelStart, first.DispSelEnd);
    EXPECT_EQ(first.DispCaret, first.DispSelStart);
    Replay({// Backspace at the start of the second line joins it to the first, blank and all.
            {"{BS}", {{" a +b", {}, 2, 2, 2}}, 0}});
}

TEST_F(MainWindowKeysTest, EnterTakesANamesCodeByteAlongWithTheName) {
    Type("{C-T}");
    Replay({{"sin{Left}", {{" @", {19}, 1, 1, 1}}, 0},
            {"{Enter}", {{" ", {}, 1, 1, 1}, {" @", {19}, 1, 1, 1}}, 1}});
    EXPECT_FALSE(Line(1)->PlainText()); // the new line takes the mode of the line it split
}

TEST_F(MainWindowKeysTest, DeleteAtTheEndJoinsTheNextLine) {
    Replay({{"ab{Left}{Enter}", {{" a", {}, 2, 2, 2}, {" b", {}, 1, 1, 1}}, 1},
            // Up without a fraction leaves the line: the line above takes the focus, its caret
            // where it was, at its end.
            {"{Up}", {{" a", {}, 2, 2, 2}, {" b", {}, 1, 1, 1}}, 0},
            {"{Del}", {{" a b", {}, 2, 2, 2}}, 0},
            // The caret stayed behind "a", so Delete takes the blank that came with the join.
            {"{Del}", {{" ab", {}, 2, 2, 2}}, 0},
            // At the end of the last line Delete is the line's own, and changes nothing.
            {"{End}{Del}", {{" ab", {}, 3, 3, 3}}, 0}});
}

TEST_F(MainWindowKeysTest, AltF4ClosesTheWindowAlsoWhenNoLineHasTheFocus) {
    Line(0)->clearFocus();
    ASSERT_EQ(window->CurrentLine(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowKeysTest, BackspaceAtTheStartOfTheFirstLineIsTheLinesOwn) {
    Replay({{"ab{Left}{Left}{BS}", {{"ab", {}, 0, 0, 0}}, 0}});
}

TEST_F(MainWindowKeysTest, CopyInOneLineAndPasteInAnother) {
    Type("{C-T}");
    Replay({{"x+sin", {{" x+@", {19}, 4, 4, 4}}, 0},
            {"{S-Left}{S-Left}{C-C}", {{" x+@", {19}, 2, 4, 2}}, 0},
            {"{End}{Enter}{Enter}y",
             {{" x+@", {19}, 4, 4, 4}, {" ", {}, 1, 1, 1}, {" y", {}, 2, 2, 2}},
             2},
            // The fragment, name and its code byte, goes in at Selstart; the caret stays.
            {"{C-V}", {{" x+@", {19}, 4, 4, 4}, {" ", {}, 1, 1, 1}, {" y+@", {19}, 2, 2, 2}}, 2}});
    EXPECT_EQ(window->CopiedText, Bytes("+") + Code::Name);
    EXPECT_EQ(window->CopiedCodes, Bytes(1, char(19)));
    // Cut takes the copied characters out.
    Replay({{"{S-Right}{S-Right}{C-X}",
             {{" x+@", {19}, 4, 4, 4}, {" ", {}, 1, 1, 1}, {" y", {}, 2, 2, 2}},
             2}});
}

TEST_F(MainWindowKeysTest, MarkingAnEmptySelectionMarksTheCharacterAfterTheCaret) {
    Type("{C-T}");
    Replay({{"ab{Left}{Left}{C-M}", {{" #a#b", {39, 39}, 3, 3, 3}}, 0}});
}

// Undo stops at the oldest of the states the line holds (ten); redo steps forward again
// until the next edit.
TEST_F(MainWindowKeysTest, UndoStopsAtTheOldestStateAndRedoStepsForwardUntilTheNextEdit) {
    Type("abcdefghijklmnopqrst");
    for (int i = 0; i < 11; ++i)
        Type("{C-Z}");
    EXPECT_EQ(Line(0)->Text(), " abcdefghij");
    Type("{C-Y}{C-Y}");
    EXPECT_EQ(Line(0)->Text(), " abcdefghijkl");
    Type("{C-Z}{End}x{C-Y}");
    EXPECT_EQ(Line(0)->Text(), " abcdefghijkx");
    // An edit that comes back to what undo showed ends redo too; a whole-line selection does
    // not blank the state undo shows.
    Type("{C-Z}{End}y{BS}{C-Y}");
    EXPECT_EQ(Line(0)->Text(), " abcdefghijk");
    Type("{C-A}{C-Z}");
    EXPECT_EQ(Line(0)->Text(), " abcdefghijky");
}

// With a selection Delete deletes it: the next line is not joined on.
TEST_F(MainWindowKeysTest, DeleteWithASelectionDeletesItInsteadOfJoining) {
    Type("een{Enter}twee{Enter}drie{Up}{C-A}{Del}");
    ASSERT_EQ(window->Lines().size(), 3u);
    EXPECT_EQ(Line(1)->Text(), " ");
    EXPECT_EQ(Line(2)->Text(), " drie");
}

// No road in makes a line longer than its record stores: at the limit each is refused whole,
// with the line's beep (typing, a template, the window's clipboard, marking, the joins, a
// split in front of the blank, an input method, the function list), and nothing changes.
TEST_F(MainWindowKeysTest, InputTheRecordCannotHoldIsRefused) {
    const Bytes full = " " + Bytes(LongestStoredLine - 1, 'a');
    std::vector<std::function<void()>> roads;
    for (const char* keys :
         {"b", "{C-I}", "{C-V}", "{C-M}", "{Del}", "{Down}{Home}{BS}", "{Home}{Enter}"})
        roads.push_back([this, keys] { Type(keys); });
    roads.push_back([this] { Send({Qt::Key_unknown, {}, QString::fromUtf8("é"), true}); });
    roads.push_back([this] {
        TFuncFormMath::OpenFor(*Line(0)).Rooster()->SetCurrent(0, 1);
        Line(0)->FunctieLijst->Choose();
    });
    for (std::size_t road = 0; road < roads.size(); ++road) {
        SCOPED_TRACE(road);
        Restart();
        window->CopiedText = "xy";
        Type("{Enter}b{Up}");
        MathLine& m = Line(0)->Line();
        m.Selstart = m.Seleinde = m.CaretPos = int(full.size());
        Line(0)->SetText(full);
        roads[road]();
        ASSERT_EQ(window->Lines().size(), 2u);
        EXPECT_EQ(Line(0)->Text(), full);
        EXPECT_EQ(Line(1)->Text(), " b");
        EXPECT_EQ(beeps, 1);
    }
}

// What a keyboard layout delivers for one character: the key with its text, the composed text
// on the key after a dead key, or an input method's commit string.
QtKeystroke K(int key, const QString& text, Qt::KeyboardModifiers m = Qt::NoModifier) {
    return {Qt::Key(key), m, text};
}
QtKeystroke Commit(const QString& text) {
    return {Qt::Key_unknown, Qt::NoModifier, text, true};
}

TEST_F(MainWindowKeysTest, EveryLayoutTypesTheWindows1252BytesOfItsCharacters) {
    const QString e = QString::fromUtf8("é");
    struct LayoutRow {
        const char* name;
        std::vector<QtKeystroke> keys;
        Bytes text;
        int beeps;
    };
    const std::vector<LayoutRow> rows = {
        {"German: u-umlaut, Shift+u-umlaut and sharp s have keys of their own",
         {K(Qt::Key_Udiaeresis, QString::fromUtf8("ü")),
          K(Qt::Key_Udiaeresis, QString::fromUtf8("Ü"), Qt::ShiftModifier),
          K(Qt::Key_ssharp, QString::fromUtf8("ß"))},
         " \xFC\xDC\xDF",
         0},
        {"German: AltGr+E, which X11 reports without Ctrl or Alt",
         {K(0x20AC, QString::fromUtf8("€"), Qt::GroupSwitchModifier)},
         " \x80",
         0},
        {"AltGr+E reported as Ctrl+Alt, as the original platform does",
         {K(Qt::Key_E, QString::fromUtf8("€"), Qt::ControlModifier | Qt::AltModifier)},
         " \x80",
         0},
        {"Dutch (US international): a dead acute composes with the next key",
         {K(Qt::Key_Dead_Acute, ""), K(Qt::Key_Eacute, e), K(Qt::Key_Dead_Acute, ""),
          K(Qt::Key_Eacute, e), K(Qt::Key_N, "n")},
         " \xE9\xE9n",
         0},
        {"a dead diaeresis: reeel",
         {K(Qt::Key_R, "r"), K(Qt::Key_E, "e"), K(Qt::Key_Dead_Diaeresis, ""),
          K(Qt::Key_Ediaeresis, QString::fromUtf8("ë")), K(Qt::Key_E, "e"), K(Qt::Key_L, "l")},
         " re\xEB"
         "el",
         0},
        {"US with a compose key: the composed character arrives on the last key",
         {K(Qt::Key_C, "c"), K(Qt::Key_A, "a"), K(Qt::Key_F, "f"), K(Qt::Key_Multi_key, ""),
          K(Qt::Key_Apostrophe, ""), K(Qt::Key_Eacute, e)},
         " caf\xE9",
         0},
        {"an input method commits the word at once",
         {Commit(QString::fromUtf8("één"))},
         " \xE9\xE9n",
         0},
        {"after Home a character without a key code goes behind the blank, as a letter does",
         {K(Qt::Key_A, "a"), K(Qt::Key_B, "b"), K(Qt::Key_Home, ""),
          K(Qt::Key_Udiaeresis, QString::fromUtf8("ü"))},
         " \xFC"
         "ab",
         0},
        {"characters neither Windows-1252 nor the Symbol font has are refused with a beep",
         {K(Qt::Key_A, "a"), K(0x416, QString::fromUtf8("ж")), Commit(QString::fromUtf8("ж"))},
         " a",
         2},
        {"a commit string with a foreign character types the rest",
         {Commit(QString::fromUtf8("aжb"))},
         " ab",
         1},
    };
    for (const bool formula : {false, true}) {
        for (const LayoutRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (formula ? " (formula line)" : " (plain line)"));
            Restart();
            Line(0)->SetPlainText(!formula);
            for (const QtKeystroke& k : row.keys)
                Send(k);
            EXPECT_EQ(Line(0)->Text(), row.text);
            EXPECT_EQ(Line(0)->Line().Codes(), "");
            EXPECT_EQ(beeps, row.beeps);
        }
    }
}

// A character outside Windows-1252 comes in as the Symbol font's character that shows it, by
// key or input method, in either mode, as the Greek keys make it.
TEST_F(MainWindowKeysTest, CharactersOutsideWindows1252ComeInAsSymbolCharacters) {
    const std::vector<std::pair<const char*, Bytes>> rows = {
        {"Δ", "D"},    {"≤", "\xA3"}, {"→", "\xAE"},
        {"∞", "\xA5"}, {"α", "a"},    {"≠∈∑", "\xB9\xCE\xE5"}};
    for (const bool formula : {false, true}) {
        for (const auto& [typed, codes] : rows) {
            SCOPED_TRACE(typed);
            Restart();
            Line(0)->SetPlainText(!formula);
            const QString text = QString::fromUtf8(typed);
            Send(text.size() > 1 ? Commit(text) : K(text.at(0).unicode(), text));
            EXPECT_EQ(Line(0)->Text(), " " + Bytes(codes.size(), Code::Symbol));
            EXPECT_EQ(Line(0)->Line().Codes(), codes);
            EXPECT_EQ(beeps, 0);
        }
    }
}

// Every byte 128..255 that Windows-1252 defines, typed as the character it stands for, is
// stored as that byte in the document.
TEST_F(MainWindowKeysTest, EveryWindows1252CharacterIsStoredAsItsByte) {
    Bytes expected = " ";
    std::vector<QtKeystroke> keys;
    for (int b = 128; b < 256; ++b) {
        const char32_t u = Cp1252ToUnicode((unsigned char)b);
        if (b >= 0x80 && b < 0xA0 && u < 0x100) continue; // the five bytes without a character
        keys.push_back(K(int(QChar::toUpper(u)), QString::fromUcs4(&u, 1)));
        expected += char(b);
    }
    ASSERT_EQ(expected.size(), 1u + 128u - 5u);
    Type("{Enter}");
    Line(0)->setFocus();
    Type("{C-T}"); // the first line in formula mode, the second plain
    ASSERT_FALSE(Line(0)->PlainText());
    for (const QtKeystroke& k : keys)
        Send(k);
    Line(1)->setFocus();
    for (const QtKeystroke& k : keys)
        Send(k);

    const QString path = programDir.filePath("tekens.mds");
    window->Document().Save(path);
    const std::vector<TLineRecord> stored = DecodeDocument(ReadWholeFile(path.toStdString()));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].text, expected);
    EXPECT_FALSE(stored[0].plainText);
    EXPECT_EQ(stored[1].text, expected);
    EXPECT_TRUE(stored[1].plainText);
}

TEST_F(MainWindowKeysTest, KeysWithoutACharacterTypeNothing) {
    const std::vector<std::pair<std::string, Bytes>> rows = {
        {"abc{Left}{Del}", " ab"},       // Qt gives Delete the text 127
        {"ab{Del}", " ab"},              // at the end of the last line
        {"abc{S-Left}{Del}", " ab"},     // with a selection
        {"ab{Left}{S-Del}", " a"},       // with Shift
        {"ab{Left}{K-Del}", " a"},       // the keypad's Delete has no text at all
        {"a{Esc}{Tab}{F5}{F12}", " a"},  // Escape, Tab, function keys
        {"{K-7}{CK-0}{K-Minus}", " 7-"}, // keypad digits type; Ctrl+keypad 0 is no Ctrl+0
    };
    for (const auto& [keys, text] : rows) {
        Restart();
        Type(keys);
        EXPECT_EQ(Line(0)->Text(), text) << keys;
        EXPECT_EQ(Line(0)->Line().Codes(), "") << keys;
        EXPECT_EQ(QApplication::focusWidget(), Line(0)) << keys; // Tab keeps it there too
    }
}

TEST_F(MainWindowKeysTest, TypingGoesOnInALoadedDocument) {
    Type("ab{Enter}cd");
    const QString path = programDir.filePath("twee.mds");
    window->Document().Save(path);
    const std::vector<std::pair<const char*, std::function<void()>>> roads = {
        {"Openen",
         [&] {
             window->Document().chooseOpenFile = [&](const QString&) { return path; };
             window->Document().MLoadClick();
         }},
        {"the command line",
         [&] {
             window = std::make_unique<TBasisMath>(
                 programDir.path(), [](const QString&) {}, QStringList{path});
             QApplication::setActiveWindow(window.get());
             ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
         }},
    };
    for (const auto& [road, load] : roads) {
        SCOPED_TRACE(road);
        Restart();
        load();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(window->Lines().size(), 2u);
        ASSERT_EQ(QApplication::focusWidget(), Line(0));
        Type("x");
        EXPECT_EQ(Line(0)->Text(), " xab"); // a loaded line has its caret behind the blank
        EXPECT_EQ(Line(1)->Text(), " cd");
    }
}

// Random keys into the main window: every line keeps a code string that matches its text,
// its place in LineIndex and at least one character, whatever is typed.
TEST_F(MainWindowKeysTest, RandomKeystrokesKeepEveryLineConsistent) {
    const int count = test::Volume(200000);
    const std::vector<Qt::Key> plainKeys = {
        Qt::Key_A,       Qt::Key_B,         Qt::Key_X,          Qt::Key_S,      Qt::Key_I,
        Qt::Key_N,       Qt::Key_L,         Qt::Key_O,          Qt::Key_G,      Qt::Key_1,
        Qt::Key_2,       Qt::Key_0,         Qt::Key_Space,      Qt::Key_Period, Qt::Key_Slash,
        Qt::Key_Bar,     Qt::Key_ParenLeft, Qt::Key_ParenRight, Qt::Key_Plus,   Qt::Key_Equal,
        Qt::Key_QuoteDbl};
    const std::vector<Qt::Key> editKeys = {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete,
                                           Qt::Key_Left,   Qt::Key_Right,     Qt::Key_Up,
                                           Qt::Key_Down,   Qt::Key_Home,      Qt::Key_End,
                                           Qt::Key_Insert, Qt::Key_ScrollLock};
    const std::vector<Qt::Key> ctrlKeys = {
        Qt::Key_0, Qt::Key_9, Qt::Key_D,     Qt::Key_E, Qt::Key_K, Qt::Key_P,
        Qt::Key_I, Qt::Key_S, Qt::Key_Minus, Qt::Key_T, Qt::Key_A, Qt::Key_Z,
        Qt::Key_Y, Qt::Key_X, Qt::Key_C,     Qt::Key_V, Qt::Key_M};
    const std::vector<Qt::KeyboardModifiers> editModifiers = {
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
        Qt::ShiftModifier | Qt::ControlModifier};
    // Windows-1252 beyond ASCII, and characters it lacks.
    std::vector<char32_t> high, foreign = {U'\u2264', U'\u0436', U'\u03C0', U'\U0001F600'};
    for (int b = 128; b < 256; ++b)
        if (const char32_t u = Cp1252ToUnicode((unsigned char)b); ToWindows1252(u) == b)
            high.push_back(u);
    // Keys that type no character, with the text Qt gives them.
    const std::vector<QtKeystroke> silentKeys = {
        {Qt::Key_Delete, Qt::NoModifier, "\x7f"}, {Qt::Key_Delete, Qt::ShiftModifier, "\x7f"},
        {Qt::Key_Delete, Qt::KeypadModifier, ""}, {Qt::Key_Escape, Qt::NoModifier, "\x1b"},
        {Qt::Key_Tab, Qt::NoModifier, "\t"},      {Qt::Key_F2, Qt::NoModifier, ""},
        {Qt::Key_F5, Qt::NoModifier, ""},         {Qt::Key_F12, Qt::NoModifier, ""},
        {Qt::Key_Home, Qt::KeypadModifier, ""},   {Qt::Key_Insert, Qt::KeypadModifier, ""},
        {Qt::Key_Clear, Qt::KeypadModifier, ""},  {Qt::Key_Dead_Acute, Qt::NoModifier, ""},
        {Qt::Key_Menu, Qt::NoModifier, ""},       {Qt::Key_Pause, Qt::NoModifier, ""}};
    std::set<unsigned char> typedBytes; // the bytes beyond ASCII typed so far
    std::mt19937 random(20261208u);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };

    // Replays `keys` into a fresh window; true when one of them raised "Foutje".
    auto raises = [&](const std::vector<QtKeystroke>& keys) {
        Restart();
        for (const QtKeystroke& k : keys) {
            if (!QApplication::focusWidget()) Line(0)->setFocus();
            try {
                Send(k);
            } catch (const ZelmError&) {
                return true;
            }
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return false;
    };
    // Drops runs of keys as long as the rest still raises it: long runs first, since most keys
    // of an episode play no part, and at last single keys, so that none of those left can go.
    auto reduce = [&](std::vector<QtKeystroke> keys) {
        for (std::size_t run = std::max<std::size_t>(keys.size() / 2, 1); run > 0; run /= 2)
            for (std::size_t i = 0; i + run <= keys.size();) {
                std::vector<QtKeystroke> fewer = keys;
                fewer.erase(fewer.begin() + std::ptrdiff_t(i),
                            fewer.begin() + std::ptrdiff_t(i + run));
                if (raises(fewer))
                    keys = fewer;
                else
                    i += run;
            }
        return keys;
    };
    std::vector<QtKeystroke> episode;
    std::vector<std::vector<QtKeystroke>> failing;
    int foutjes = 0, restarts = 0;
    for (int n = 0; n < count; ++n) {
        QtKeystroke k{Qt::Key_A, Qt::NoModifier, {}};
        switch (pick(12)) {
        case 0:
        case 1:
        case 2:
        case 3:
            k.key = plainKeys[pick(plainKeys.size())];
            break;
        case 4:
        case 5:
        case 6:
            k.key = editKeys[pick(editKeys.size())];
            k.modifiers = editModifiers[pick(editModifiers.size())];
            break;
        case 7:
            k.key = ctrlKeys[pick(ctrlKeys.size())];
            k.modifiers = Qt::ControlModifier;
            break;
        case 8:
            k.key = Qt::Key(Qt::Key_A + int(pick(26)));
            k.modifiers = pick(2) ? (Qt::ControlModifier | Qt::ShiftModifier)
                                  : (Qt::ShiftModifier | Qt::AltModifier);
            // Ctrl+Shift+Z and Ctrl+Shift+T step through the recovery files, which would keep
            // putting the document back to a small earlier state; their own tests cover them.
            if (k.modifiers & Qt::ControlModifier && (k.key == Qt::Key_Z || k.key == Qt::Key_T))
                k.key = Qt::Key_A;
            break;
        case 9:
            k.key = Qt::Key(Qt::Key_0 + int(pick(10)));
            k.modifiers = Qt::ControlModifier | Qt::ShiftModifier;
            break;
        case 10: {
            // A character beyond ASCII, now and then one that Windows-1252 lacks, by key or
            // by an input method.
            const char32_t u = pick(8) ? high[pick(high.size())] : foreign[pick(foreign.size())];
            k = {Qt::Key(QChar::toUpper(u)), Qt::NoModifier, QString::fromUcs4(&u, 1),
                 pick(4) == 0};
            if (const unsigned char b = ToWindows1252(u)) typedBytes.insert(b);
            break;
        }
        default:
            k = silentKeys[pick(silentKeys.size())];
            break;
        }
        if (k.text.isEmpty()) k.text = TextOfKey(k.key, k.modifiers);
        if (!QApplication::focusWidget()) Line(0)->setFocus();
        episode.push_back(k);
        try {
            Send(k);
        } catch (const ZelmError& e) {
            ASSERT_STREQ(e.what(), "Foutje");
            ++foutjes;
            failing.push_back(episode);
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // No key takes the focus away from the lines (Tab once gave it to the scroll area,
        // and every key after it was lost).
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(!focus || qobject_cast<TMathEditor*>(focus)) << "key " << n;
        const auto& lines = window->Lines();
        ASSERT_FALSE(lines.empty());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const MathLine& m = lines[i]->Line();
            ASSERT_EQ(CountCodeChars(m.Text()), int(m.Codes().size()))
                << "key " << n << " line " << i;
            ASSERT_EQ(lines[i]->LineIndex(), int(i)) << "key " << n;
            ASSERT_FALSE(m.Text().empty()) << "key " << n;
            ASSERT_LE(m.Text().size(), LongestStoredLine) << "key " << n;
            // No byte that was not typed: no 127, no control character but the code
            // characters, nothing beyond ASCII that no key typed.
            for (const char ch : m.Text()) {
                const auto b = (unsigned char)ch;
                ASSERT_TRUE((b >= 1 && b <= 6) || (b >= 32 && b != 127))
                    << "key " << n << " line " << i << " byte " << int(b);
                ASSERT_TRUE(b < 128 || typedBytes.count(b)) << "key " << n << " byte " << int(b);
            }
        }
        // Keep the document small, so that each key costs about the same.
        if (lines.size() > 12 || lines.front()->Text().size() > 120) {
            Restart();
            episode.clear();
            ++restarts;
        }
    }
    std::printf("%d keys into the main window, %d raised Foutje, %d fresh windows\n", count,
                foutjes, restarts);
    // Each failing episode reduced to the fewest keys that still raise "Foutje".
    for (std::size_t f = 0; f < std::min<std::size_t>(failing.size(), 5); ++f) {
        const std::vector<QtKeystroke> keys = reduce(failing[f]);
        std::string shown;
        for (const QtKeystroke& k : keys)
            shown += QKeySequence(int(k.modifiers) | k.key).toString().toStdString() + " ";
        std::printf("Foutje after: %s\n", shown.c_str());
    }
}

} // namespace
} // namespace zelm
