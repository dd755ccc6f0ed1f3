// Keystrokes replayed into the main window as Qt delivers them: the key event goes through the
// window's shortcuts and key preview to the focused line, which turns it into a key down and,
// when the key types one, a character. Lines are measured on the fixed canvas.
//
// Key scripts: a plain character is typed as itself; braces name other keys with optional
// modifiers S, C, A before a dash: "{Enter}", "{BS}", "{S-Left}", "{C-T}", "{CS-A}", "{SA-N}".
// Expected texts write byte 3 as '#', byte 1 as '@' and byte 4 as '$'.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

#include "app/MathEdit.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

struct KeyStroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

std::vector<KeyStroke> Parse(const std::string& script) {
    static const std::map<std::string, Qt::Key> named = {
        {"Enter", Qt::Key_Return}, {"BS", Qt::Key_Backspace},     {"Del", Qt::Key_Delete},
        {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},      {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},        {"End", Qt::Key_End},
        {"Minus", Qt::Key_Minus},  {"Scroll", Qt::Key_ScrollLock}};
    std::vector<KeyStroke> out;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '{') {
            const QChar c = QLatin1Char(script[i]);
            Qt::Key key = Qt::Key(c.toUpper().unicode());
            out.push_back({key, Qt::NoModifier, QString(c)});
            continue;
        }
        const std::size_t end = script.find('}', i);
        std::string token = script.substr(i + 1, end - i - 1);
        i = end;
        Qt::KeyboardModifiers mods;
        const std::size_t dash = token.find('-');
        if (dash != std::string::npos && dash > 0 && dash + 1 < token.size()) {
            for (char m : token.substr(0, dash)) {
                if (m == 'S') mods |= Qt::ShiftModifier;
                if (m == 'C') mods |= Qt::ControlModifier;
                if (m == 'A') mods |= Qt::AltModifier;
            }
            token = token.substr(dash + 1);
        }
        const auto it = named.find(token);
        const Qt::Key key = it != named.end() ? it->second : Qt::Key(QChar(token[0]).unicode());
        out.push_back({key, mods, QString()});
    }
    return out;
}

/// Byte 3 as '#', byte 1 as '@', byte 4 as '$'.
Bytes Readable(const Bytes& text) {
    Bytes out = text;
    for (char& c : out) {
        if (c == Code::Structure) c = '#';
        if (c == Code::Name) c = '@';
        if (c == Code::Symbol) c = '$';
    }
    return out;
}

struct LineState {
    Bytes text;
    std::vector<int> codes;
    int selstart, seleinde, caret;
};

Bytes CodesOf(const std::vector<int>& codes) {
    Bytes out;
    for (int c : codes)
        out += char(c);
    return out;
}

class MainWindowKeysTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        Restart();
    }
    void TearDown() override { window.reset(); }

    void Restart() {
        window.reset();
        EditorState().Reset();
        window = std::make_unique<TBasisMath>(programDir.path(), [](const QString&) {});
        window->showError = [](const QString& m) { ADD_FAILURE() << m.toStdString(); };
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    /// Sends the keys of `script` to whatever widget has the focus, one by one.
    void Type(const std::string& script) {
        for (const KeyStroke& k : Parse(script))
            Send(k);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Send(const KeyStroke& k) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyPress(target, k.key, k.modifiers);
        if (QWidget* still = QApplication::focusWidget())
            QTest::keyRelease(still, k.key, k.modifiers);
    }

    void ExpectLines(const std::vector<LineState>& expected, const std::string& row) {
        SCOPED_TRACE(row);
        const auto& lines = window->Lines();
        ASSERT_EQ(lines.size(), expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE("line " + std::to_string(i));
            const MathLine& m = lines[i]->Line();
            EXPECT_EQ(Readable(m.Text()), expected[i].text);
            EXPECT_EQ(m.Codes(), CodesOf(expected[i].codes));
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

TEST_F(MainWindowKeysTest, UndoStepsBackThroughTheRingOfEarlierStates) {
    MathLine& m = Line(0)->Line();
    // Plain-text states, as the setter enters them: the text, byte 0, the (empty) code string.
    for (int slot = 1; slot <= 10; ++slot)
        m.ring[std::size_t(slot)] = " s" + std::to_string(slot) + '\0';
    m.ringIndex = 3;
    for (const char* expected : {" s3", " s2", " s1", " s10"}) {
        Type("{C-Z}");
        EXPECT_EQ(m.Text(), expected);
    }
    EXPECT_EQ(m.ringIndex, 9);
}

// Random keys into the main window: every line keeps a code string that matches its text,
// its place in LineIndex and at least one character, whatever is typed.
TEST_F(MainWindowKeysTest, RandomKeystrokesKeepEveryLineConsistent) {
    const int count = [] {
        const QByteArray v = qgetenv("ZELM_WINDOW_KEYS_COUNT");
        return v.isEmpty() ? 200000 : v.toInt();
    }();
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
        Qt::Key_0,     Qt::Key_9, Qt::Key_D, Qt::Key_E, Qt::Key_K, Qt::Key_P, Qt::Key_I, Qt::Key_S,
        Qt::Key_Minus, Qt::Key_T, Qt::Key_A, Qt::Key_Z, Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_M};
    const std::vector<Qt::KeyboardModifiers> editModifiers = {
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
        Qt::ShiftModifier | Qt::ControlModifier};
    std::mt19937 random(20261208u);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };

    // Replays `keys` into a fresh window; true when one of them raised "Foutje".
    auto raises = [&](const std::vector<KeyStroke>& keys) {
        Restart();
        for (const KeyStroke& k : keys) {
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
    // Drops keys one at a time as long as the rest still raises it.
    auto reduce = [&](std::vector<KeyStroke> keys) {
        for (std::size_t i = 0; i < keys.size();) {
            std::vector<KeyStroke> fewer = keys;
            fewer.erase(fewer.begin() + std::ptrdiff_t(i));
            if (raises(fewer))
                keys = fewer;
            else
                ++i;
        }
        return keys;
    };
    std::vector<KeyStroke> episode;
    std::vector<std::vector<KeyStroke>> failing;
    int foutjes = 0, restarts = 0;
    for (int n = 0; n < count; ++n) {
        KeyStroke k{Qt::Key_A, Qt::NoModifier, {}};
        switch (pick(10)) {
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
        default:
            k.key = Qt::Key(Qt::Key_0 + int(pick(10)));
            k.modifiers = Qt::ControlModifier | Qt::ShiftModifier;
            break;
        }
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
        const auto& lines = window->Lines();
        ASSERT_FALSE(lines.empty());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const MathLine& m = lines[i]->Line();
            ASSERT_EQ(CountCodeChars(m.Text()), int(m.Codes().size()))
                << "key " << n << " line " << i;
            ASSERT_EQ(lines[i]->LineIndex(), int(i)) << "key " << n;
            ASSERT_FALSE(m.Text().empty()) << "key " << n;
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
        const std::vector<KeyStroke> keys = reduce(failing[f]);
        std::string shown;
        for (const KeyStroke& k : keys)
            shown += QKeySequence(int(k.modifiers) | k.key).toString().toStdString() + " ";
        std::printf("Foutje after: %s\n", shown.c_str());
    }
}

} // namespace
} // namespace zelm
