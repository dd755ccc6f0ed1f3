// The function list window and its grid, with lines measured on the fixed canvas. Cell
// geometry: columns 64, 64, 32, 1, 64, 64 wide with a 1-pixel line after each, so the columns
// start at x = 0, 65, 130, 163, 165, 230; rows 24 high with a 1-pixel gap, row r at y = 25 r.
// The grid is 293 + 1 = 294 wide (6 columns, 5 lines) and 16 x 25 - 1 = 399 high.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <random>
#include <vector>

#include "app/MainWindow.h"
#include "dialogs/FunctieFormMath.h"
#include "formula/FormulaText.h"
#include "support/FixedLines.h"
#include "support/KeyScriptQt.h"

namespace zelm {
namespace {

using test::Codes;
using test::kName;
using test::kStruct;
using test::P;
using test::T;

/// A formula cell as the grid stores it: text, byte 0, code string.
Bytes Cell(const Bytes& text, const Bytes& codes) {
    return text + Bytes(1, '\0') + codes;
}

/// The code string of a formula cell.
Bytes CodesOf(const Bytes& cell) {
    const auto nul = cell.find('\0');
    return nul == Bytes::npos ? Bytes() : cell.substr(nul + 1);
}

Stroke Press(char c) {
    return {Stroke::Kind::Press, static_cast<unsigned char>(c), {}};
}
Stroke Down(int key, ShiftState shift) {
    return {Stroke::Kind::Down, key, shift};
}
const ShiftState kShift{.shift = true};
const ShiftState kCtrl{.ctrl = true};
const ShiftState kAlt{.alt = true};

class FunctionListTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->setGeometry(100, 100, 400, 200);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    /// An empty line in formula mode with the caret behind its blank, as the main window
    /// makes it.
    TMathEditor* NewLine() {
        auto* line = new TMathEditor(window.get());
        line->Line().Selstart = line->Line().Seleinde = line->Line().CaretPos = 1;
        line->SetText(" ");
        line->show();
        line->setFocus(Qt::OtherFocusReason);
        return line;
    }
    /// Chooses cell (col, row) of the line's list; `typed` is typed into the grid once the
    /// choice runs (the "+Shift+Ctrl" row waits for it).
    static void ChooseCell(TMathEditor& line, int col, int row, Qt::Key typed = Qt::Key_unknown) {
        TFuncFormMath& list = TFuncFormMath::OpenFor(line);
        list.Rooster()->SetCurrent(col, row);
        if (typed != Qt::Key_unknown) {
            QPointer<TRooster> grid = list.Rooster();
            QTimer::singleShot(0, [grid, typed] {
                if (grid) QTest::keyClick(grid, typed);
            });
        }
        list.Choose();
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    std::unique_ptr<QWidget> window;
};

TEST_F(FunctionListTest, TheGridListsEveryGroupInItsOrderWithTheHeaderFixed) {
    TFuncFormMath& list = TFuncFormMath::OpenFor(*NewLine());
    const TRooster& grid = *list.Rooster();
    const Bytes up = T("$");
    const std::vector<std::vector<Bytes>> columns = {
        {"GonioFunc.", "arcsin", "arctan", "cos", "sin", "tan"},
        // All fifteen names fit below the header, "wrt" too.
        {"RekenFunc.", "2eafg", "afg", "comb", "cumkans", "cumnv", "fac", "intgr", "kans", "ln",
         "log", "losop", "normv", "perm", "som", "wrt"},
        {"Bew.", "=", "?", "~", "<", ">", "+", "-", "*", ":", "^"},
        {},
        {"SymbInv<>", Cell(T("G#e#   1 Teken"), P(7) + P(8)), Cell(T("G#Exponent#"), P(7) + P(8)),
         Cell(T("###"), Codes({12, 25, 13})), Cell(T("#T#N#"), Codes({15, 16, 17})),
         Cell(T("#t#n#"), Codes({26, 27, 28})), Cell(kStruct, P(35)),
         Cell(T("##\x83(x)##x#"), Codes({15, 18, 16, 19, 17})),
         Cell(T("###\x83(x)#x"), Codes({20, 25, 25, 21})),
         Cell(T("#0#n#\x83(n)"), Codes({22, 25, 25})), Cell(kStruct, P(34)), Cell(kStruct, P(33)),
         Cell(kStruct, P(32)), Cell(T("#     #"), P(38) + P(38))},
        {"ToetsInv", "+Shift+Ctrl", Cell("Shift" + up, P(173)), Cell("Ctrl" + up, P(173)),
         Cell("Alt" + up, P(173)), "</>", "<.>", "ctrl+<D>", "ctrl+<I>", "ctrl+<S>", "ctrl+<K>",
         "ctrl+<E>", "ctrl+<P>", "ctrl+<->"},
    };
    for (int col = 0; col < TRooster::ColCount; ++col) {
        std::vector<Bytes> expected = columns[std::size_t(col)];
        expected.resize(TRooster::RowCount);
        std::vector<Bytes> actual;
        for (int row = 0; row < TRooster::RowCount; ++row)
            actual.push_back(grid.Cell(col, row));
        EXPECT_EQ(actual, expected) << "column " << col;
    }
}

TEST_F(FunctionListTest, TheWindowTakesItsGridsSizeOnceAndKeepsItsGridAndCurrentCell) {
    TMathEditor* line = NewLine();
    auto* fresh = new TFuncFormMath(line);
    EXPECT_EQ(fresh->Rooster(), nullptr);
    EXPECT_EQ(fresh->size(), QSize(340, 343));
    delete fresh;

    TFuncFormMath& list = TFuncFormMath::OpenFor(*line);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(line->FunctieLijst, &list);
    EXPECT_EQ(list.parent(), line);
    EXPECT_EQ(list.windowTitle(), "Functie&Bewerkingen");
    EXPECT_TRUE(list.windowFlags() & Qt::Tool);
    EXPECT_EQ(list.size(), QSize(294, 399));
    EXPECT_EQ(list.minimumSize(), list.maximumSize());
    TRooster* grid = list.Rooster();
    EXPECT_EQ(grid->geometry(), QRect(0, 0, 294, 399));
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(0, 1));

    // Keys move the current cell, never onto the header row; it stays between showings.
    test::ClickKeys(grid, "{Up}{Right}{Right}{Down}");
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(2, 2));
    list.hide();
    EXPECT_EQ(&TFuncFormMath::OpenFor(*line), &list);
    EXPECT_EQ(list.Rooster(), grid);
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(2, 2));
    EXPECT_EQ(list.size(), QSize(294, 399));

    // The window goes with its line.
    QPointer<TFuncFormMath> guard(&list);
    delete line;
    EXPECT_TRUE(guard.isNull());
}

TEST_F(FunctionListTest, EachCellSendsTheKeysItsKeyColumnNames) {
    TFuncFormMath& list = TFuncFormMath::OpenFor(*NewLine());
    const TRooster& grid = *list.Rooster();
    const std::vector<Stroke> script = {Down(VK::Up, kShift), Press('2'), Down(VK::Right, {})};
    struct Case {
        int col, row;
        std::vector<Stroke> strokes;
    };
    const std::vector<Case> cases = {
        {0, 3, {Press('c'), Press('o'), Press('s')}},
        {1, 15, {Press('w'), Press('r'), Press('t')}},
        {0, 6, {}}, // an empty cell
        {2, 1, {Press('=')}},
        {2, 10, {Press('^')}},
        {2, 11, {}},
        {3, 4, {}},
        {4, 1, script},
        {5, 1, script},
        {4, 2, {Down(VK::Up, kShift)}},
        {5, 2, {Down(VK::Up, kShift)}},
        {4, 3, {Down(VK::Up, kCtrl)}},
        {5, 4, {Down(VK::Up, kAlt)}},
        {4, 5, {Press('/')}},
        {5, 6, {Press('.')}},
        {5, 7, {Down(68, kCtrl)}},
        {4, 8, {Down(73, kCtrl)}},
        {5, 9, {Down(83, kCtrl)}},
        {4, 10, {Down(75, kCtrl)}},
        {5, 11, {Down(69, kCtrl)}},
        {4, 12, {Down(80, kCtrl)}},
        {4, 13, {Down(189, kCtrl)}},
        {5, 13, {Down(189, kCtrl)}},
        {4, 14, {}},
        {5, 15, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TFuncFormMath::StrokesFor(grid, c.col, c.row, '2'), c.strokes)
            << "cell " << c.col << "," << c.row;
        EXPECT_EQ(TFuncFormMath::WaitsForKey(grid, c.col, c.row), c.row == 1 && c.col >= 4)
            << "cell " << c.col << "," << c.row;
    }
}

// What the list shows in column 4 is what its keys build: choosing a structure into an empty
// formula line leaves exactly that structure's code string in the line.
TEST_F(FunctionListTest, EveryStructureChosenBuildsTheCodeStringItShows) {
    for (int row = 1; row <= 13; ++row) {
        for (int col : {4, 5}) {
            TMathEditor* line = NewLine();
            ChooseCell(*line, col, row, row == 1 ? Qt::Key_E : Qt::Key_unknown);
            const Bytes shown = line->FunctieLijst->Rooster()->Cell(4, row);
            EXPECT_EQ(line->Line().Codes(), CodesOf(shown)) << "cell " << col << "," << row;
            EXPECT_EQ(CountCodeChars(line->Text()), int(line->Line().Codes().size()));
            EXPECT_FALSE(line->FunctieLijst->isVisible());
            delete line;
        }
    }
}

// Each choice types into the line, hides the list and lays the line out. The current cell is
// set first; a click elsewhere makes that cell current, one on the header row does not.
TEST_F(FunctionListTest, AChoiceTypesIntoTheLineHidesTheListAndLaysTheLineOut) {
    const QPoint enter(-1, -1), choose(-2, -2);
    struct Case {
        const char* what;
        int col, row;
        QPoint input; // a click in the grid, Enter, or the choice called directly
        Bytes text, codes;
    };
    const std::vector<Case> cases = {
        {"cos", 0, 3, choose, " " + kName, P(16)},
        {"=", 2, 1, choose, " =", ""},
        {"an empty cell", 0, 10, choose, " ", ""},
        {"the narrow column", 3, 2, choose, " ", ""},
        {"Enter on =", 2, 1, enter, " =", ""},
        {"click on cos (0, 3)", 2, 1, {10, 80}, " " + kName, P(16)},
        {"click on the header above cos", 2, 1, {10, 5}, " =", ""},
        {"click on the header's grid line", 2, 1, {64, 24}, " =", ""},
    };
    for (const Case& c : cases) {
        TMathEditor* line = NewLine();
        int layouts = 0;
        line->OnGewijzigd = [&](TMathEditor&) { ++layouts; };
        TFuncFormMath& list = TFuncFormMath::OpenFor(*line);
        list.Rooster()->SetCurrent(c.col, c.row);
        if (c.input == choose)
            list.Choose();
        else if (c.input == enter)
            QTest::keyClick(list.Rooster(), Qt::Key_Return);
        else
            QTest::mouseClick(list.Rooster(), Qt::LeftButton, {}, c.input);
        Settle();
        EXPECT_EQ(line->Text(), c.text) << c.what;
        EXPECT_EQ(line->Line().Codes(), c.codes) << c.what;
        EXPECT_EQ(line->Line().CaretPos, int(c.text.size())) << c.what;
        EXPECT_GE(layouts, 1) << c.what;
        EXPECT_FALSE(list.isVisible()) << c.what;
        delete line;
    }
}

TEST_F(FunctionListTest, TheWaitForALetterEndsSendingNothingWhenTheListOrLineGoes) {
    struct Case {
        const char* what;
        std::function<void(TMathEditor*&)> act; // runs during the wait
        bool destroysLine = false;
    };
    const std::vector<Case> cases = {
        {"the list hidden",
         [](TMathEditor*& line) {
             QTest::keyClick(line->FunctieLijst->Rooster(), Qt::Key_Plus); // not a letter
             EXPECT_TRUE(line->FunctieLijst->isVisible());
             line->FunctieLijst->hide();
         }},
        {"Escape in the grid",
         [](TMathEditor*& line) {
             QTest::keyClick(line->FunctieLijst->Rooster(), Qt::Key_Escape);
         }},
        {"the line destroyed",
         [](TMathEditor*& line) {
             delete line;
             line = nullptr;
         },
         true},
        {"the line destroyed later",
         [](TMathEditor*& line) {
             line->deleteLater();
             line = nullptr;
         },
         true},
    };
    for (const Case& c : cases) {
        TMathEditor* line = NewLine();
        QPointer<TMathEditor> guard(line);
        TFuncFormMath& list = TFuncFormMath::OpenFor(*line);
        list.Rooster()->SetCurrent(4, 1);
        QTimer::singleShot(0, [&] { c.act(line); });
        list.Choose(); // returns once the wait ends
        EXPECT_EQ(guard.isNull(), c.destroysLine) << c.what;
        if (guard) {
            EXPECT_EQ(line->Text(), " ") << c.what;
            EXPECT_EQ(line->Line().Codes(), "") << c.what;
            EXPECT_FALSE(list.isVisible()) << c.what;
            delete line;
        }
    }
}

// Enter in the grid during the wait makes the choice again inside the waiting one; the letter
// then ends the inner wait, whose choice hides the list, so the outer one sends nothing more.
TEST_F(FunctionListTest, AChoiceMadeDuringTheWaitTypesTheStructureOnce) {
    TMathEditor* line = NewLine();
    TFuncFormMath& list = TFuncFormMath::OpenFor(*line);
    list.Rooster()->SetCurrent(5, 1);
    QPointer<TRooster> grid = list.Rooster();
    QTimer::singleShot(0, [grid] {
        QTest::keyClick(grid, Qt::Key_Return);
        // A timer, not a posted call: a key comes from the window system.
        QTimer::singleShot(5, [grid] { QTest::keyClick(grid, Qt::Key_X); });
    });
    list.Choose();
    EXPECT_EQ(line->Text(), T(" #x#"));
    EXPECT_EQ(line->Line().Codes(), P(7) + P(8));
    EXPECT_EQ(line->Line().CaretPos, 4); // behind the power: the Right that ends the row's keys
}

TEST_F(FunctionListTest, CellsAreDrawnByTheCellRendererAtTheirLeftPlusFour) {
    // The grid font Tahoma -11 (c = 11) on the fixed canvas: top margin 11 / 8 = 1, ascent 11,
    // so the baseline lies 12 below the cell's top. "cos" (0, 3): x 0 + 4, y 75 + 12 = 87.
    // "Shift" (5, 2): x 230 + 4 = 234, y 50 + 12 = 62; S h f t 5 wide each (c / 2), i 2
    // (c / 4), so the arrow (Symbol byte 173) follows at 234 + 22 = 256. Its size: the
    // largest Symbol space (c / 3) no wider than Tahoma's (11 / 4 = 2), searched from -13
    // down: c = 13..9 give 4 or 3, c = 8 gives 2, and the search leaves one unit less, -7.
    TFuncFormMath& list = TFuncFormMath::OpenFor(*NewLine());
    test::FixedCanvas canvas(TRooster::GridFont());
    list.Rooster()->DrawCell(canvas, 0, 3);
    ASSERT_EQ(canvas.log.size(), 1u);
    EXPECT_EQ(canvas.log[0], R"(text 4,87 "cos" Tahoma h-11 w400 i0 u0 x0 c000000 bkffffff)");
    canvas.log.clear();
    list.Rooster()->DrawCell(canvas, 5, 2);
    ASSERT_EQ(canvas.log.size(), 2u);
    EXPECT_EQ(canvas.log[0], R"(text 234,62 "Shift" Tahoma h-11 w400 i0 u0 x0 c000000 bkffffff)");
    EXPECT_EQ(canvas.log[1], R"(text 256,62 "\xad" Symbol h-7 w400 i0 u0 x0 c000000 bkffffff)");
}

TEST(FunctionListPlacement, BelowAndRightOfTheLineInsideTheWorkArea) {
    const QRect work(0, 0, 1600, 1200);
    const QSize list(300, 420);
    struct Case {
        const char* what;
        QRect line;
        QRect work;
        QPoint expected;
    };
    const std::vector<Case> cases = {
        {"room enough", {100, 100, 400, 24}, work, {500, 124}},
        {"near the right edge: left of the line", {1400, 100, 150, 24}, work, {1100, 124}},
        {"exactly fitting on the right", {100, 100, 1200, 24}, work, {1300, 124}},
        {"near the bottom: ends at the work area's bottom", {100, 1000, 400, 24}, work, {500, 780}},
        {"both", {1400, 1000, 150, 24}, work, {1100, 780}},
        {"work area below a top panel", {100, 900, 400, 24}, {0, 40, 1600, 1000}, {500, 620}},
        {"a full-width line keeps the list on screen", {0, 100, 1500, 24}, work, {0, 124}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListPosition(c.line, list, c.work), c.expected) << c.what;
}

TEST_F(FunctionListTest, CtrlLOpensTheFocusedLinesOwnListBesideIt) {
    QTemporaryDir programDir;
    TBasisMath main(programDir.path(), [](const QString&) {});
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    TMathEditor* first = main.Lines().front();
    TMathEditor* second = main.InsertLineBelow(*first);
    second->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(second, Qt::Key_L, Qt::ControlModifier);
    Settle();
    ASSERT_NE(second->FunctieLijst, nullptr);
    EXPECT_EQ(first->FunctieLijst, nullptr);
    TFuncFormMath* list = second->FunctieLijst;
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(list->Rooster()->hasFocus());
    const QRect lineOnScreen(second->mapToGlobal(QPoint(0, 0)), second->size());
    EXPECT_EQ(list->frameGeometry().topLeft(),
              ListPosition(lineOnScreen, list->frameGeometry().size(),
                           second->screen()->availableGeometry()));

    // The choice goes into the line that opened the list, which gets the focus back.
    list->Rooster()->SetCurrent(2, 6);
    QTest::keyClick(list->Rooster(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(second->Text(), " +");
    EXPECT_EQ(first->Text(), " ");
    EXPECT_TRUE(second->hasFocus());
    second->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(second, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(second->FunctieLijst, list);
}

// Random keys and clicks into the grid, with the list opened again whenever a choice hid it.
// The input keeps coming from a timer, so that it also reaches a choice that waits for a
// letter. After every step: the current cell lies below the header, and the line is whole
// (its code string matches its text).
TEST_F(FunctionListTest, RandomInputIntoTheGridKeepsTheLineWhole) {
    TMathEditor* line = NewLine();
    std::mt19937 random(12);
    const std::vector<Qt::Key> keys = {
        Qt::Key_Up,   Qt::Key_Down,   Qt::Key_Left,   Qt::Key_Right,   Qt::Key_Home,
        Qt::Key_End,  Qt::Key_Return, Qt::Key_Return, Qt::Key_A,       Qt::Key_7,
        Qt::Key_Plus, Qt::Key_Escape, Qt::Key_Space,  Qt::Key_PageDown};
    const QSize size = TRooster::GridSize();
    int steps = 0;
    QEventLoop done;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const MathLine& m = line->Line();
        ASSERT_EQ(CountCodeChars(m.Text()), int(m.Codes().size())) << "step " << steps;
        ASSERT_FALSE(m.Text().empty());
        if (TFuncFormMath* list = line->FunctieLijst) {
            ASSERT_GE(list->Rooster()->Row(), 1);
            ASSERT_LT(list->Rooster()->Row(), TRooster::RowCount);
        }
        if (++steps > 400 || m.Text().size() > 200) {
            timer.stop();
            line->FunctieLijst->hide(); // ends any wait still running
            done.quit();
            return;
        }
        if (!line->FunctieLijst || !line->FunctieLijst->isVisible()) {
            TFuncFormMath::OpenFor(*line);
            return;
        }
        TRooster* grid = line->FunctieLijst->Rooster();
        if (random() % 3 == 0) {
            const QPoint at(int(random() % unsigned(size.width())),
                            int(random() % unsigned(size.height())));
            QTest::mouseClick(grid, Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(grid, keys[random() % keys.size()]);
        }
    });
    timer.start();
    done.exec();
    EXPECT_GT(steps, 400);
}

} // namespace
} // namespace zelm
