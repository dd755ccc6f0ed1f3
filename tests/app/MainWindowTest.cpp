// The main window with lines measured on the fixed canvas, without font smoothing. In the
// window's font, "Tahoma" -16 (c = 16), a line is 2 + 20 + 2 = 24 high; at -64 (c = 64) it is
// 8 + 80 + 8 = 96 high (top margin 64 / 8, tmHeight 64 + 64 / 4). Plain widths: ' ' 4,
// 'm' 16, other letters 8; the end caret is two thirds of c wide.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <memory>
#include <random>

#include "app/MainWindow.h"
#include "formula/LineKeys.h"
#include "platform/WorkArea.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

const QString kMadeMessage = "Er is een Herstel directorie gemaakt: ";

class MainWindowTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid() && dataHome.isValid());
        // The per-user fallback folder goes below a folder of the test's own.
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    }
    void TearDown() override {
        window.reset();
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    /// Starts the program with `dir` as the program folder, active, messages collected.
    TBasisMath& Start(const QString& dir) {
        window = std::make_unique<TBasisMath>(dir, [this](const QString& m) { messages << m; });
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    TBasisMath& Start() { return Start(programDir.path()); }

    /// A new line below the last one, as Enter at the end of the document makes it.
    TMathEditor* AddLine() {
        TMathEditor* line = window->InsertLineBelow(*window->Lines().back());
        Settle();
        return line;
    }
    TMathEditor* Line(int i) const { return window->Lines()[std::size_t(i)]; }
    /// Lets queued work (the window fitting itself to its lines) run.
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static void Caret(TMathEditor& e, int p) {
        e.Line().Selstart = e.Line().Seleinde = e.Line().CaretPos = p;
    }
    QScrollArea* Scroll() const { return qobject_cast<QScrollArea*>(window->centralWidget()); }
    /// `r`, in the coordinates of `line`, in those of the visible part of the column.
    QRect InView(TMathEditor* line, const QRect& r) const {
        return r.translated(line->mapTo(Scroll()->viewport(), QPoint(0, 0)));
    }
    QRect CaretInView(TMathEditor* line) const {
        const CaretRect& c = line->Line().CaretCellValue();
        return InView(line, QRect(c.x, c.y, c.width, c.height).normalized());
    }
    bool Shown(const QRect& inView) const { return Scroll()->viewport()->rect().contains(inView); }
    /// The top and bottom of `line` lie in the visible part of the column.
    bool ShownUpDown(TMathEditor* line) const {
        const QRect r = InView(line, line->rect());
        return r.top() >= 0 && r.bottom() < Scroll()->viewport()->height();
    }

    QTemporaryDir programDir, dataHome;
    QByteArray oldDataHome;
    QStringList messages;
    std::unique_ptr<TBasisMath> window;
};

TEST_F(MainWindowTest, StartUpShowsTheWindowWithItsFixedProperties) {
    TBasisMath& w = Start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "ZelmEditor");
    EXPECT_EQ(w.minimumSize(), QSize(400, 200));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    if (QApplication::platformName() == "offscreen") { // window managers may place it elsewhere
        // The designed place (800, 125), moved left just as far as the screen needs: the
        // offscreen screen is only 800 wide.
        const QRect work = w.screen()->availableGeometry();
        EXPECT_TRUE(work.contains(w.frameGeometry()));
        const int x = std::min(800, work.right() + 1 - w.frameGeometry().width());
        EXPECT_EQ(w.pos(), QPoint(x, 125));
    }
    // One line, focused; the window is at least its minimum size.
    ASSERT_EQ(w.Lines().size(), 1u);
    EXPECT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(w.CurrentLine(), Line(0));
    EXPECT_GE(w.width(), 400);
    EXPECT_GE(w.height(), 200);
}

TEST_F(MainWindowTest, NewLinesTakeTheWindowDefaults) {
    TBasisMath& w = Start();
    TMathEditor* first = Line(0);
    // Tahoma -16 in the default character set (1).
    EXPECT_EQ(first->Font(), (FontDesc{"Tahoma", -16, 0, 400, 0, 0, 0, 1}));
    EXPECT_EQ(first->FontColor(), 0u);
    EXPECT_TRUE(first->PlainText()); // the default mode at start-up is plain text
    EXPECT_EQ(first->Text(), " ");
    EXPECT_EQ(first->Line().Selstart, 1);
    EXPECT_EQ(first->Line().Seleinde, 1);
    EXPECT_EQ(first->Line().CaretPos, 1);
    EXPECT_EQ(first->LineIndex(), 0);
    EXPECT_EQ(first->focusPolicy(), Qt::ClickFocus); // no tab stop
    EXPECT_EQ(first->popupmenu, w.PopupMenu1);
    EXPECT_EQ(first->Owner(), static_cast<LineOwner*>(&w)); // heights, widths, keys, focus

    EditorState().plainTextDefault = false;
    w.WindowFont = FontDesc{"Arial", -20};
    TMathEditor* second = w.CreateEd();
    EXPECT_EQ(second->LineIndex(), 1);
    EXPECT_FALSE(second->PlainText());
    EXPECT_EQ(second->Font(), (FontDesc{"Arial", -20}));
    EXPECT_EQ(second->Line().CaretPos, 1);
    EXPECT_EQ(second->Text(), " ");
    EXPECT_EQ(w.Lines().back(), second);
}

TEST_F(MainWindowTest, LinesBelowAGrowingLineMoveByTheGrowth) {
    Start();
    AddLine();
    AddLine();
    ASSERT_EQ(window->Lines().size(), 3u);
    EXPECT_EQ(Line(1)->y(), 24);
    EXPECT_EQ(Line(2)->y(), 48);

    // The middle line at -32 is 4 + 40 + 4 = 48 high: 24 more. Only the line below moves.
    Line(1)->SetFont(FontDesc{"Tahoma", -32}, 0);
    Settle();
    EXPECT_EQ(Line(0)->y(), 0);
    EXPECT_EQ(Line(1)->y(), 24);
    EXPECT_EQ(Line(1)->height(), 48);
    EXPECT_EQ(Line(2)->y(), 72);

    // The first line at -64 grows by 96 - 24 = 72: both lines below move by exactly that.
    Line(0)->SetFont(FontDesc{"Tahoma", -64}, 0);
    Settle();
    EXPECT_EQ(Line(1)->y(), 96);
    EXPECT_EQ(Line(2)->y(), 144);

    // Shrinking moves them back up.
    Line(0)->SetFont(FontDesc{"Tahoma", -16}, 0);
    Line(1)->SetFont(FontDesc{"Tahoma", -16}, 0);
    Settle();
    EXPECT_EQ(Line(1)->y(), 24);
    EXPECT_EQ(Line(2)->y(), 48);
    EXPECT_EQ(window->LinesExtent().height(), 72);
}

TEST_F(MainWindowTest, AWideLineWidensTheWindowAndEveryLine) {
    TBasisMath& w = Start();
    AddLine();
    const int start = Line(0)->width();
    ASSERT_EQ(Line(1)->width(), start);
    // " " and 30 'm': 4 + 30 * 16 = 484, plus the end caret 10: 494 needed. That is more than
    // the reference width of the line, and within the offscreen screen's work area.
    const Bytes wide = " " + Bytes(30, 'm');
    ASSERT_LT(start, 494);
    Caret(*Line(1), 1);
    Line(1)->SetText(wide);
    Settle();
    EXPECT_EQ(Line(1)->NeededWidth(), 494);
    EXPECT_EQ(Line(0)->width(), 494);
    EXPECT_EQ(Line(1)->width(), 494);
    EXPECT_EQ(w.centralWidget()->width(), 494);

    // The widest of all lines wins: a narrower report still gives every line 494.
    Caret(*Line(0), 1);
    Line(0)->Line().Tag = 10;
    Line(0)->SetText(" mm"); // 4 + 32 + 10 = 46 > 10, reported
    Settle();
    EXPECT_EQ(Line(0)->width(), 494);
    EXPECT_EQ(Line(1)->width(), 494);
}

TEST_F(MainWindowTest, ALineWiderThanTheWorkAreaScrollsSideways) {
    TBasisMath& w = Start();
    const QRect work = w.screen()->availableGeometry();
    // " " and n 'm': 4 + 16 n, plus the end caret 10; n is chosen to pass the work area.
    const int n = work.width() / 16 + 4;
    Caret(*Line(0), 1);
    Line(0)->SetText(" " + Bytes(std::size_t(n), 'm'));
    Settle();
    EXPECT_EQ(Line(0)->width(), 4 + 16 * n + 10);
    EXPECT_LE(w.frameGeometry().width(), work.width());
    auto* scroll = qobject_cast<QScrollArea*>(w.centralWidget());
    ASSERT_TRUE(scroll);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
}

TEST(PlaceInWorkArea, TheWindowMovesLeftAndUpJustEnoughToFit) {
    struct Row {
        const char* name;
        QRect frame, work;
        QPoint expected;
    };
    const std::vector<Row> rows = {
        {"fits at the designed place", {800, 125, 480, 300}, {0, 0, 1920, 1040}, {800, 125}},
        // At a scale factor of 2 a 1600 x 1200 screen is 800 x 600: 800 - 484 = 316.
        {"too far right", {800, 125, 484, 300}, {0, 0, 800, 600}, {316, 125}},
        // 1040 - 1000 = 40.
        {"too low", {800, 125, 480, 1000}, {0, 0, 1920, 1040}, {800, 40}},
        {"both", {800, 125, 700, 560}, {0, 0, 800, 600}, {100, 40}},
        // A panel above: the work area runs from y 30 to 767 and x 0 to 1023;
        // 1024 - 300 = 724, 768 - 700 = 68.
        {"a work area below a panel", {800, 125, 300, 700}, {0, 30, 1024, 738}, {724, 68}},
        {"left of and above the work area", {-50, 10, 400, 200}, {0, 24, 1024, 744}, {0, 24}},
    };
    for (const Row& r : rows) {
        const QRect placed = PlaceInWorkArea(r.frame, r.work);
        EXPECT_EQ(placed.topLeft(), r.expected) << r.name;
        EXPECT_EQ(placed.size(), r.frame.size()) << r.name;
    }
}

// The client area below the menu bar holds the lines exactly, without scroll bars, at start,
// with ten lines and after opening them from a file.
TEST_F(MainWindowTest, TheClientAreaHoldsTheLinesExactly) {
    TBasisMath& w = Start();
    const QRect work = w.screen()->availableGeometry();
    auto expectExact = [&](const char* when) {
        SCOPED_TRACE(when);
        Settle();
        // Ten lines of 24 are 240 high, more than the window's minimum of 200.
        EXPECT_EQ(Scroll()->viewport()->size(), w.LinesExtent());
        EXPECT_FALSE(Scroll()->verticalScrollBar()->isVisible());
        EXPECT_FALSE(Scroll()->horizontalScrollBar()->isVisible());
        EXPECT_TRUE(ShownUpDown(w.Lines().back()));
        EXPECT_TRUE(work.contains(w.frameGeometry()));
    };
    for (int i = 1; i < 10; ++i) {
        AddLine();
        EXPECT_FALSE(Scroll()->verticalScrollBar()->isVisible()) << i + 1 << " lines";
        EXPECT_FALSE(Scroll()->horizontalScrollBar()->isVisible()) << i + 1 << " lines";
    }
    ASSERT_EQ(w.LinesExtent().height(), 240);
    expectExact("ten lines");

    const QString file = programDir.filePath("tien.mds");
    w.Document().Save(file);
    w.Document().chooseOpenFile = [&](const QString&) { return file; };
    w.Document().MLoadClick();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(w.Lines().size(), 10u);
    expectExact("after Openen");
}

// A line of 250 characters: " " and 250 'm' need 4 + 250 * 16 + 10 = 4014 pixels, far more
// than any work area. The view follows the caret sideways and leaves the other lines where
// they are.
TEST_F(MainWindowTest, ALongLineKeepsItsCaretAndTheOtherLinesInView) {
    TBasisMath& w = Start();
    AddLine();
    AddLine();
    TMathEditor* longLine = Line(1);
    longLine->setFocus();
    Caret(*longLine, 251);
    longLine->SetText(" " + Bytes(250, 'm'));
    Settle();
    ASSERT_EQ(longLine->width(), 4014);
    EXPECT_TRUE(w.screen()->availableGeometry().contains(w.frameGeometry()));
    struct Row {
        Qt::Key key;
        int caret;
    };
    for (const Row& r : std::vector<Row>{
             {Qt::Key_unknown, 251}, {Qt::Key_Home, 0}, {Qt::Key_End, 251}, {Qt::Key_Left, 250}}) {
        SCOPED_TRACE(r.caret);
        if (r.key != Qt::Key_unknown) QTest::keyClick(longLine, r.key);
        Settle();
        ASSERT_EQ(longLine->Line().CaretPos, r.caret);
        EXPECT_TRUE(Shown(CaretInView(longLine)));
        for (TMathEditor* line : w.Lines())
            EXPECT_TRUE(ShownUpDown(line));
        EXPECT_EQ(Scroll()->verticalScrollBar()->value(), 0);
    }
}

// A click moves the view only when the caret would otherwise leave it.
TEST_F(MainWindowTest, AClickDoesNotMoveTheView) {
    Start();
    for (int i = 1; i < 10; ++i)
        AddLine();
    struct Row {
        const char* name;
        int line;
        Bytes text;
        int caret;
        bool unscrolled; ///< the column shows from its top left corner
    };
    const std::vector<Row> rows = {
        {"ten short lines filling the window", 0, " ab", 1, true},
        // Scrolled to the end of a long line: a click on one of its characters in view.
        {"a long line scrolled to its end", 4, " " + Bytes(250, 'm'), 251, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TMathEditor* line = Line(r.line);
        line->setFocus();
        Caret(*line, r.caret);
        line->SetText(r.text);
        Settle();
        const QPoint before = line->mapTo(Scroll()->viewport(), QPoint(0, 0));
        const QPoint at = Scroll()->viewport()->rect().center() - before;
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(at.x(), 10));
        Settle();
        EXPECT_EQ(line->mapTo(Scroll()->viewport(), QPoint(0, 0)), before);
        EXPECT_TRUE(Shown(CaretInView(line)));
        if (r.unscrolled) {
            EXPECT_EQ(before, QPoint(0, 24 * r.line));
            EXPECT_FALSE(Scroll()->horizontalScrollBar()->isVisible());
        }
    }
}

TEST_F(MainWindowTest, TheAreaBelowTheLinesHasTheWindowColour) {
    TBasisMath& w = Start();
    Settle();
    // One line of 24 in a window of at least 200: the viewport shows room below the line.
    const QWidget* view = Scroll()->viewport();
    ASSERT_GT(view->height(), 24 + 20);
    const QImage image = w.grab().toImage();
    const QPoint below = view->mapTo(&w, QPoint(10, 24 + 20));
    const QPoint inLine = Line(0)->mapTo(&w, QPoint(Line(0)->width() - 5, 5));
    const QColor windowColour = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(image.pixelColor(inLine), windowColour);
    EXPECT_EQ(image.pixelColor(below), windowColour);
}

TEST_F(MainWindowTest, NavigationKeysLeavingALineMoveTheFocus) {
    TBasisMath& w = Start();
    AddLine();
    AddLine();
    // Plain lines: the display text is the text.
    for (int i = 0; i < 3; ++i) {
        Caret(*Line(i), 1);
        Line(i)->SetText(" ab");
    }
    Line(1)->setFocus();
    ASSERT_TRUE(Line(1)->hasFocus());

    // Left at the start of line 2: the end of line 1, display 3 = text 3.
    w.OpNeer(*Line(1), 37);
    ASSERT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(Line(0)->Line().DispCaret, 3);
    EXPECT_EQ(Line(0)->Line().CaretPos, 3);
    // Up on the first line and Left at its start do nothing.
    w.OpNeer(*Line(0), 38);
    w.OpNeer(*Line(0), 37);
    EXPECT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(Line(0)->Line().CaretPos, 3);

    // Right at the end of line 1: behind the leading blank of line 2.
    Caret(*Line(1), 3);
    Line(1)->Line().TextToDisplay();
    w.OpNeer(*Line(0), 39);
    ASSERT_TRUE(Line(1)->hasFocus());
    EXPECT_EQ(Line(1)->Line().CaretPos, 1);

    // Down and Up keep the caret of the line they go to.
    Caret(*Line(2), 2);
    Line(2)->Line().TextToDisplay();
    w.OpNeer(*Line(1), 40);
    ASSERT_TRUE(Line(2)->hasFocus());
    EXPECT_EQ(Line(2)->Line().CaretPos, 2);
    w.OpNeer(*Line(2), 38);
    ASSERT_TRUE(Line(1)->hasFocus());
    EXPECT_EQ(Line(1)->Line().CaretPos, 1);

    // Down and Right on the last line, and any other key, do nothing.
    Line(2)->setFocus();
    w.OpNeer(*Line(2), 40);
    w.OpNeer(*Line(2), 39);
    w.OpNeer(*Line(2), 13);
    EXPECT_TRUE(Line(2)->hasFocus());
    EXPECT_EQ(Line(2)->Line().CaretPos, 2);
}

TEST_F(MainWindowTest, EnteringALineShowsItsOwnModeInTheMenu) {
    TBasisMath& w = Start();
    AddLine();
    ASSERT_TRUE(w.popPlainText);
    Line(1)->SetPlainText(false);
    // The check mark follows the mode of the line entered, not the program default.
    EditorState().plainTextDefault = true;
    Line(1)->setFocus();
    EXPECT_FALSE(w.popPlainText->isChecked());
    EditorState().plainTextDefault = false;
    Line(0)->setFocus();
    EXPECT_TRUE(w.popPlainText->isChecked());
}

TEST_F(MainWindowTest, TheHintNamesTheLineAndItsMode) {
    TBasisMath& w = Start();
    AddLine();
    Line(1)->SetPlainText(false);
    EXPECT_EQ(w.HintFor(*Line(0)), "Regel 0 Plain ..Click rechts voor menu");
    EXPECT_EQ(w.HintFor(*Line(1)), "Regel 1 Zelm ..Click rechts voor menu");

    // The hint is what a tool-tip request on a line shows.
    const QPoint at(5, 5);
    QHelpEvent help(QEvent::ToolTip, at, Line(1)->mapToGlobal(at));
    QApplication::sendEvent(Line(1), &help);
    EXPECT_EQ(QToolTip::text(), "Regel 1 Zelm ..Click rechts voor menu");
    QToolTip::hideText();
}

TEST_F(MainWindowTest, AHelpRequestShowsTheHelpWindow) {
    TBasisMath& w = Start();
    int shown = 0;
    w.showHelp = [&] { ++shown; };
    EXPECT_TRUE(w.FormHelp());
    QTest::keyClick(Line(0), Qt::Key_F1);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(Line(0)->Text(), " ");
}

TEST_F(MainWindowTest, TheRecoveryFolderIsMadeOnceAndAnnounced) {
    const QString folder = programDir.path() + "/Herstel/";
    Start();
    EXPECT_EQ(window->HerstelDir, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(messages, QStringList{kMadeMessage + folder});

    // The next start finds it.
    window.reset();
    messages.clear();
    Start();
    EXPECT_EQ(window->HerstelDir, folder);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MainWindowTest, AnUnwritableProgramFolderUsesThePerUserFolder) {
    // A program folder below a regular file can never be created, not even by root.
    const QString file = programDir.path() + "/plain-file";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString perUser =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    ASSERT_TRUE(perUser.startsWith(dataHome.path()));

    Start(file + "/bin");
    EXPECT_EQ(window->HerstelDir, perUser);
    EXPECT_TRUE(QFileInfo(perUser).isDir());
    EXPECT_EQ(messages, QStringList{kMadeMessage + perUser});

    window.reset();
    messages.clear();
    Start(file + "/bin");
    EXPECT_EQ(window->HerstelDir, perUser);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MainWindowTest, LinesBeyondTheWorkAreaScrollAndTheFocusedLineStaysVisible) {
    TBasisMath& w = Start();
    const QRect work = w.screen()->availableGeometry();
    // Lines of -64 are 96 high; enough of them to pass the work area twice.
    const int count = 2 * work.height() / 96 + 2;
    Line(0)->SetFont(FontDesc{"Tahoma", -64}, 0);
    Settle();
    int lastHeight = 0;
    for (int i = 1; i < count; ++i) {
        TMathEditor* line = AddLine();
        line->SetFont(FontDesc{"Tahoma", -64}, 0);
        w.FocusLine(*line); // as Enter leaves it
        Settle();
        if (i == count / 2) lastHeight = w.height();
    }
    EXPECT_EQ(w.LinesExtent().height(), 96 * count);
    // The window stopped growing inside the work area; its lines scroll.
    EXPECT_LE(w.frameGeometry().bottom(), work.bottom());
    EXPECT_EQ(w.height(), lastHeight);
    EXPECT_LT(w.height(), 96 * count);
    auto* scroll = qobject_cast<QScrollArea*>(w.centralWidget());
    ASSERT_TRUE(scroll);
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());

    // The focused line, the last one, lies inside the visible part of the column.
    auto visible = [&](TMathEditor* line) {
        const QRect inViewport(line->mapTo(scroll->viewport(), QPoint(0, 0)), line->size());
        return scroll->viewport()->rect().contains(inViewport);
    };
    ASSERT_TRUE(Line(count - 1)->hasFocus());
    EXPECT_TRUE(visible(Line(count - 1)));
    EXPECT_FALSE(visible(Line(0)));

    // Going up to the first line brings it into view.
    for (int i = count - 1; i > 0; --i)
        w.OpNeer(*Line(i), 38);
    Settle();
    ASSERT_TRUE(Line(0)->hasFocus());
    EXPECT_TRUE(visible(Line(0)));

    // A focused line that grows stays in view too: at -128 the last line is 16 + 160 + 16 =
    // 192 high, still less than the visible part of the column.
    w.FocusLine(*Line(count - 1)); // far out of view by now
    Settle();
    Line(count - 1)->SetFont(FontDesc{"Tahoma", -128}, 0);
    Settle();
    EXPECT_TRUE(visible(Line(count - 1)));
}

// Lines far from the view are hidden, so that moving them costs Qt little; whatever happens to
// the column, every line in view shows, the focused line shows, and the lines stay stacked in
// order. Random splits, joins, growing lines, scrolling and moving the focus.
TEST_F(MainWindowTest, RandomEditsShowEveryLineInViewAndHideTheFarOnes) {
    TBasisMath& w = Start();
    for (int i = 0; i < 150; ++i)
        w.InsertLineBelow(*w.Lines().back());
    Settle();
    std::mt19937 rng(20261209);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const int sizes[] = {-16, -32, -64};
    QScrollBar* bar = Scroll()->verticalScrollBar();
    for (int step = 0; step < 600; ++step) {
        if (!w.CurrentLine()) w.FocusLine(*Line(0));
        TMathEditor& current = *w.CurrentLine();
        const auto count = int(w.Lines().size());
        int key = 0;
        switch (pick(7)) {
        case 0: // Enter somewhere in the line, while the column is not too long
            if (count < 300) key = VK::Return;
            Caret(current, 1 + pick(int(current.Text().size())));
            break;
        case 1: // Backspace at the start of a line
            if (count > 20) key = VK::Back;
            Caret(current, 1);
            break;
        case 2: // Delete at the end of a line
            if (count > 20) key = VK::Delete;
            Caret(current, int(current.Text().size()));
            break;
        case 3:
            Line(pick(count))->SetFont(FontDesc{"Tahoma", sizes[pick(3)]}, 0);
            break;
        case 4:
            bar->setValue(pick(bar->maximum() + 1));
            break;
        case 5:
            w.OpNeer(current, pick(2) ? 38 : 40);
            break;
        default:
            w.FocusLine(*Line(pick(count)));
            break;
        }
        if (key != 0) SplitOrJoin(current.Line(), key);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Settle();

        const auto& lines = w.Lines();
        const QRect view(-Scroll()->widget()->pos(), Scroll()->viewport()->size());
        const int viewHeight = view.height();
        TMathEditor* focused = w.CurrentLine();
        ASSERT_TRUE(focused) << "step " << step;
        ASSERT_FALSE(focused->isHidden()) << "step " << step;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const TMathEditor* l = lines[i];
            ASSERT_EQ(l->LineIndex(), int(i)) << "step " << step;
            ASSERT_EQ(l->y(), i == 0 ? 0 : lines[i - 1]->geometry().bottom() + 1)
                << "step " << step << " line " << i;
            const bool inView = l->y() < view.bottom() + 1 && l->geometry().bottom() >= view.top();
            const bool far = l->geometry().bottom() < view.top() - viewHeight ||
                             l->y() > view.bottom() + viewHeight;
            if (inView) {
                ASSERT_FALSE(l->isHidden()) << "step " << step << " line " << i;
            }
            if (far && l != focused) {
                ASSERT_TRUE(l->isHidden()) << "step " << step << " line " << i;
            }
        }
    }
}

// The zoom changes the screen only: the saved bytes stay, the window fits the larger lines,
// Ctrl+wheel and the window menu's keys step it within 50-400 %, and the next run keeps it.
TEST_F(MainWindowTest, TheZoomDrawsLargerWithoutChangingTheDocument) {
    TBasisMath& w = Start();
    Caret(*Line(0), 1);
    Line(0)->SetText(" mmmmmmmmmmmmmmmmmmmm"); // plain: 8 + 20 * 32 + 21 = 669 at 200 %
    AddLine();
    const auto saved = [&](const char* name) {
        w.Document().Save(programDir.filePath(name));
        QFile f(programDir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray actual = saved("100.mds");
    const QSize extent = w.LinesExtent();
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(Line(0), Qt::Key_Equal, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(w.Zoom(), 200);
    Settle();
    EXPECT_EQ(w.LinesExtent().height(), 2 * extent.height());
    EXPECT_EQ(Scroll()->viewport()->width(), 669);
    EXPECT_EQ(w.LinesExtent().width(), 669);
    EXPECT_EQ(saved("200.mds"), actual);
    QWheelEvent down(QPointF(5, 5), Line(0)->mapToGlobal(QPointF(5, 5)), {}, {0, -240},
                     Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Line(0), &down);
    EXPECT_EQ(w.Zoom(), 180);
    w.WareGrootte->trigger();
    w.SetZoom(1000);
    EXPECT_EQ(w.Zoom(), 400);
    TBasisMath& next = Start(); // the next run's window; `w` is gone with it
    EXPECT_EQ(next.Zoom(), 400);
    EXPECT_EQ(Line(0)->Line().Zoom(), 400);
    // Started zoomed, the same lines save the same bytes.
    Caret(*Line(0), 1);
    Line(0)->SetText(" mmmmmmmmmmmmmmmmmmmm");
    AddLine();
    next.Document().Save(programDir.filePath("400.mds"));
    QFile f(programDir.filePath("400.mds"));
    EXPECT_EQ(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), actual);
}

} // namespace
} // namespace zelm
