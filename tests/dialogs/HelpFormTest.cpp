// The help window on the offscreen platform: its tree and pages, the links, the keys that hide
// it, its size, and its pictures. Page places: the tree stands at left 3 and is 105 x 127, so
// the window without a page is 3 + 105 = 108 wide and 127 high; a page at left L of width W
// and height H makes it L + W wide and max(127, H) high.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <random>

#include "app/MainWindow.h"
#include "dialogs/HelpForm.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

class HelpFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        help = std::make_unique<TZelmEditHelp>();
        other = std::make_unique<QWidget>();
        other->resize(50, 50);
    }
    /// Shows the window as a help request does, and makes it the active window.
    void Request() {
        help->Show();
        QApplication::setActiveWindow(help.get());
        QApplication::processEvents();
    }
    void Choose(int node) { help->TreeView1->setCurrentItem(help->NodeAt(node)); }
    std::vector<int> VisiblePages() const {
        std::vector<int> shown;
        for (int i = 0; i < TZelmEditHelp::PageCount; ++i)
            if (!help->Pages[std::size_t(i)]->isHidden()) shown.push_back(i);
        return shown;
    }
    /// The surface of the tree and the pages: the client area wherever the screen holds it.
    QSize Client() const { return help->TreeView1->parentWidget()->size(); }

    std::unique_ptr<TZelmEditHelp> help;
    std::unique_ptr<QWidget> other; // another window to switch to
};

TEST_F(HelpFormTest, TheTreeNamesEachPageAtItsOwnIndex) {
    struct Node {
        const char* text;
        const char* parent; // nullptr for a root
        const char* page;
    };
    const Node nodes[] = {
        {"Inleiding", nullptr, "InleidingP"}, {"Installatie", nullptr, "InstallatieP"},
        {"Gebruik", nullptr, "GebruikP"},     {"Herstellen", "Gebruik", "HerstellenP"},
        {"Invoer", "Gebruik", "InvoerP"},     {"Doorgeven", "Gebruik", "CopyP"},
    };
    EXPECT_EQ(help->windowTitle(), "Help");
    EXPECT_EQ(help->TreeView1->indentation(), 19);
    EXPECT_EQ(help->NodeAt(6), nullptr);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        QTreeWidgetItem* node = help->NodeAt(i);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->text(0), nodes[i].text);
        EXPECT_EQ(node->parent() ? node->parent()->text(0) : QString(),
                  nodes[i].parent ? QString(nodes[i].parent) : QString());
        EXPECT_EQ(help->AbsoluteIndex(node), i);
        Request();
        Choose(i);
        EXPECT_EQ(VisiblePages(), std::vector<int>{i});
        EXPECT_EQ(help->Pages[std::size_t(i)]->objectName(), nodes[i].page);
    }
}

// Each row is one step; after it, the pages shown, the client size and the left and top of
// the page shown.
TEST_F(HelpFormTest, PagesReplaceEachOtherAtTheTopAndTheWindowFitsThem) {
    enum class Step { Request, Choose, Hide, SwitchAway, SwitchBack };
    struct Row {
        Step step;
        int node;
        std::vector<int> shown;
        QSize client;
        QPoint pageAt; // of the page shown
    };
    const Row rows[] = {
        // The first showing: only the tree, at the top edge; the window is the tree's size.
        {Step::Request, 0, {}, {108, 127}, {}},
        // "Gebruik": 138 + 770 = 908 wide, 221 high.
        {Step::Choose, 2, {2}, {908, 221}, {138, 0}},
        // "Inleiding": 139 + 531 = 670 wide, 175 high; the use page is hidden again.
        {Step::Choose, 0, {0}, {670, 175}, {139, 0}},
        {Step::SwitchAway, 0, {0}, {670, 175}, {139, 0}},
        {Step::SwitchBack, 0, {0}, {670, 175}, {139, 0}},
        // "Doorgeven": 315 + 658 = 973 wide, 178 high.
        {Step::Choose, 5, {5}, {973, 178}, {315, 0}},
        {Step::Hide, 0, {5}, {973, 178}, {315, 0}},
        {Step::Request, 0, {5}, {973, 178}, {315, 0}},
        // "Herstellen": 138 + 650 = 788 wide; 150 is more than the tree's 127.
        {Step::Choose, 3, {3}, {788, 150}, {138, 0}},
        // "Invoer": 307 + 589 = 896 wide, 223 high.
        {Step::Choose, 4, {4}, {896, 223}, {307, 0}},
        // "Installatie": 138 + 632 = 770 wide, 154 high.
        {Step::Choose, 1, {1}, {770, 154}, {138, 0}},
    };
    int i = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(i++);
        switch (row.step) {
        case Step::Request:
            Request();
            break;
        case Step::Choose:
            Choose(row.node);
            break;
        case Step::Hide:
            help->hide();
            break;
        case Step::SwitchAway:
            other->show();
            QApplication::setActiveWindow(other.get());
            break;
        case Step::SwitchBack:
            QApplication::setActiveWindow(help.get());
            break;
        }
        QApplication::processEvents();
        EXPECT_EQ(VisiblePages(), row.shown);
        EXPECT_EQ(Client(), row.client);
        EXPECT_EQ(help->TreeView1->pos(), QPoint(3, 0));
        if (!row.shown.empty()) {
            EXPECT_EQ(help->Pages[std::size_t(row.shown.front())]->pos(), row.pageAt);
        }
        EXPECT_EQ(help->CurrentPage(), row.shown.empty() ? -1 : row.shown.front());
    }
}

TEST_F(HelpFormTest, ChoosingANodeExpandsItAndCollapsesTheOneBefore) {
    Request();
    QTreeWidgetItem* use = help->NodeAt(2);
    EXPECT_TRUE(use->isExpanded()); // activation expands every node
    Choose(3);                      // "Herstellen" lies inside "Gebruik", which stays open
    EXPECT_TRUE(use->isExpanded());
    Choose(1); // "Installatie" lies outside it
    EXPECT_FALSE(use->isExpanded());
    Choose(2);
    EXPECT_TRUE(use->isExpanded());
    help->hide();
    Choose(0);
    EXPECT_FALSE(use->isExpanded());
    Request();
    EXPECT_TRUE(use->isExpanded());
}

// Character keys hide the window; keys without a character move in the tree.
TEST_F(HelpFormTest, CharacterKeysHideTheWindowAndOtherKeysMoveInTheTree) {
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool hides;
        int selectedAfter; // node selected after the key, starting from "Installatie"
    };
    const Row rows[] = {
        {Qt::Key_A, Qt::NoModifier, true, 1},         {Qt::Key_Escape, Qt::NoModifier, true, 1},
        {Qt::Key_Return, Qt::NoModifier, true, 1},    {Qt::Key_Space, Qt::NoModifier, true, 1},
        {Qt::Key_Backspace, Qt::NoModifier, true, 1}, {Qt::Key_7, Qt::NoModifier, true, 1},
        {Qt::Key_Q, Qt::ShiftModifier, true, 1},      {Qt::Key_C, Qt::ControlModifier, true, 1},
        {Qt::Key_Down, Qt::NoModifier, false, 2},     {Qt::Key_Up, Qt::NoModifier, false, 0},
        {Qt::Key_End, Qt::NoModifier, false, 5},      {Qt::Key_Home, Qt::NoModifier, false, 0},
        {Qt::Key_Shift, Qt::ShiftModifier, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QTest::toString(QKeySequence(row.key | row.modifiers)));
        Request();
        Choose(1);
        QTest::keyClick(help->TreeView1, row.key, row.modifiers);
        EXPECT_EQ(help->isHidden(), row.hides);
        EXPECT_EQ(help->AbsoluteIndex(help->TreeView1->currentItem()), row.selectedAfter);
        EXPECT_EQ(VisiblePages(), std::vector<int>{row.selectedAfter});
    }
}

TEST_F(HelpFormTest, EachLinkSelectsTheNodeOfThePageItIsAbout) {
    struct Row {
        const char* label;
        int shownFirst; // the page the link stands on
        int tag;
        int node; // tag - 2
        const char* nodeText;
    };
    const Row rows[] = {
        {"Label3", 1, 4, 2, "Gebruik"},
        {"Label1", 1, 3, 1, "Installatie"},
        {"Label2", 2, 5, 3, "Herstellen"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Request();
        Choose(row.shownFirst);
        auto* label = help->findChild<QLabel*>(row.label);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(TZelmEditHelp::TagOf(label), row.tag);
        EXPECT_EQ(label->parentWidget(), help->Pages[std::size_t(row.shownFirst)]);
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        EXPECT_EQ(help->TreeView1->currentItem()->text(0), row.nodeText);
        EXPECT_EQ(VisiblePages(), std::vector<int>{row.node});
    }
}

// The pictures: their sizes, something drawn on every one, and drawn content under each link.
TEST_F(HelpFormTest, EveryPictureHasItsSizeAndTheLinksLieOverItsDrawing) {
    struct Row {
        const char* resource;
        QSize size;
        QPoint inPage; // the picture's place in its page (inside the frame)
        bool transparent;
    };
    const Row rows[] = {
        {":/help/Inleiding.svg", {529, 173}, {1, 1}, false},
        {":/help/Installatie.svg", {630, 152}, {1, 1}, false},
        {":/help/Help.svg", {770, 220}, {0, 0}, true},
        {":/help/Herstellen.svg", {648, 148}, {1, 1}, true},
        {":/help/invoer.svg", {587, 221}, {1, 1}, false},
        {":/help/Copy.jpg", {656, 176}, {1, 1}, false},
    };
    auto isInk = [](QRgb px) { return qAlpha(px) > 128 && qGray(px) < 160; };
    auto isDrawn = [](QRgb px, bool transparent) {
        return transparent ? qAlpha(px) > 0 : (px & 0xFFFFFF) != 0xFFFFFF;
    };
    for (int i = 0; i < TZelmEditHelp::PageCount; ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.resource);
        if (QString(row.resource).endsWith(".svg"))
            EXPECT_EQ(QSvgRenderer(QString(row.resource)).defaultSize(), row.size);
        else
            EXPECT_EQ(QImage(row.resource).size(), row.size);
        const THelpPicture* picture = help->Pictures[std::size_t(i)];
        EXPECT_EQ(picture->size(), row.size);
        EXPECT_EQ(picture->pos(), row.inPage);
        const QImage image = picture->Rendered();
        // Not blank: text and formulas leave a good many dark pixels; a transparent picture
        // leaves its ground clear.
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += isInk(image.pixel(x, y));
        EXPECT_GT(ink, 2000);
        if (row.transparent) {
            EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, 0)), 0);
        }
        for (QLabel* label : help->Pages[std::size_t(i)]->findChildren<QLabel*>()) {
            SCOPED_TRACE(label->objectName().toStdString());
            const QRect under = label->geometry().translated(-row.inPage) & image.rect();
            // Drawing under at least two thirds of the link's columns: a mark under a "*",
            // the words of a hot spot.
            int columns = 0;
            for (int x = under.left(); x <= under.right(); ++x) {
                bool drawn = false;
                for (int y = under.top(); y <= under.bottom(); ++y)
                    drawn = drawn || isDrawn(image.pixel(x, y), row.transparent);
                columns += drawn;
            }
            EXPECT_GE(columns * 3, label->width() * 2);
        }
    }
}

// A window wider than the work area (800 pixels on the offscreen platform) shrinks just enough
// to fit it, and its page scrolls; a page that fits gives the window its own size back.
TEST_F(HelpFormTest, AWindowWiderThanTheWorkAreaFitsItAndItsPageScrolls) {
    Request();
    Choose(5); // 315 + 658 = 973 wide, 178 high
    QApplication::processEvents();
    const QRect work = help->screen()->availableGeometry();
    EXPECT_TRUE(work.contains(help->frameGeometry()));
    EXPECT_EQ(help->frameGeometry().width(), work.width());
    auto* scroll = help->findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_EQ(scroll->viewport()->height(), 178); // no scroll bar up and down
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 973 - scroll->viewport()->width());
    Choose(0);
    QApplication::processEvents();
    EXPECT_EQ(help->size(), QSize(670, 175));
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
}

// Random keys, clicks, link clicks, requests and window switches; after every step the
// window keeps its rules.
TEST_F(HelpFormTest, RandomUseKeepsOnePageForTheSelectedNodeAndTheWindowFitted) {
    std::mt19937 random(1313);
    const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down, Qt::Key_Left, Qt::Key_Right,
                            Qt::Key_Home,   Qt::Key_End,  Qt::Key_A,    Qt::Key_Escape,
                            Qt::Key_Return, Qt::Key_Tab,  Qt::Key_F1,   Qt::Key_PageDown};
    bool expectShown = false;
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        const int action = int(random() % 6);
        if (action == 0) {
            Request();
            expectShown = true;
        } else if (action == 1 && expectShown) {
            const Qt::Key key = keys[random() % std::size(keys)];
            QTest::keyClick(help->TreeView1, key);
            const bool character =
                key == Qt::Key_A || key == Qt::Key_Escape || key == Qt::Key_Return;
            if (character) expectShown = false;
        } else if (action == 2) {
            Choose(int(random() % 6));
        } else if (action == 3 && expectShown) {
            const auto labels = help->findChildren<QLabel*>();
            QLabel* label = labels[qsizetype(random() % std::size_t(labels.size()))];
            if (label->isVisible())
                QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        } else if (action == 4) {
            other->show();
            QApplication::setActiveWindow(other.get());
        } else if (action == 5 && expectShown) {
            QApplication::setActiveWindow(help.get());
        }
        QApplication::processEvents();
        ASSERT_EQ(help->isVisible(), expectShown);
        const std::vector<int> shown = VisiblePages();
        ASSERT_LE(shown.size(), 1u);
        const int current = help->CurrentPage();
        ASSERT_EQ(shown.empty() ? -1 : shown.front(), current);
        if (current >= 0) {
            ASSERT_EQ(help->AbsoluteIndex(help->TreeView1->selectedItems().value(0)), current);
        }
        QSize extent(help->TreeView1->x() + help->TreeView1->width(),
                     help->TreeView1->y() + help->TreeView1->height());
        if (current >= 0) {
            const QRect page = help->Pages[std::size_t(current)]->geometry();
            extent = extent.expandedTo({page.right() + 1, page.bottom() + 1});
        }
        ASSERT_EQ(Client(), extent);
    }
}

// A help request from a line: F1 shows the help window, and the line sees nothing of it.
TEST(HelpRequestTest, F1InALineShowsTheHelpWindow) {
    test::FixedLines fixedLines;
    QTemporaryDir programDir;
    ASSERT_TRUE(programDir.isValid());
    TBasisMath window(programDir.path(), [](const QString&) {});
    TZelmEditHelp help(&window);
    window.showHelp = [&help] { help.Show(); };
    QApplication::setActiveWindow(&window);
    ASSERT_FALSE(help.isVisible());
    TMathEditor* line = window.Lines().front();
    line->setFocus();
    QTest::keyClick(line, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.CurrentPage(), -1);
    EXPECT_EQ(help.size(), QSize(108, 127));
    EXPECT_EQ(line->Text(), " ");
    // Hidden by a key, shown again by the next request.
    QTest::keyClick(help.TreeView1, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
    QTest::keyClick(line, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(help.isVisible());
    // A minimized help window comes back.
    help.setWindowState(Qt::WindowMinimized);
    QTest::keyClick(line, Qt::Key_F1);
    EXPECT_FALSE(help.isMinimized());
}

} // namespace
} // namespace zelm
