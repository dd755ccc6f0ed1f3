// The help window on the offscreen platform: its tree and pages, the links, the keys that hide
// it, its size, and its pictures. The tree stands at left 3, as wide as its longest topic; a
// page stands 6 pixels to its right at the top, so a page of width W and height H makes the
// window that much wider than the tree and as high as the taller of the page and the tree.
#include <gtest/gtest.h>

#include <QAccessible>
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
    QSize Client() const { return help->size(); }
    /// The window that fits page `i` where the work area holds it.
    QSize Fitting(int i) const {
        const QSize page = help->Pages[std::size_t(i)]->size();
        const int tree = help->TreeView1->visualItemRect(help->NodeAt(10)).bottom() + 4;
        return {PageX() + page.width(), std::max(tree, page.height())};
    }
    int PageX() const { return help->TreeView1->geometry().right() + 1 + 6; }
    /// Where a page's top-left corner lies in the window.
    QPoint PlaceOf(int i) const { return help->Pages[std::size_t(i)]->mapTo(help.get(), QPoint()); }

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
        {"Inleiding", nullptr, "InleidingP"},
        {"Installatie", nullptr, "InstallatieP"},
        {"Gebruik", nullptr, "GebruikP"},
        {"Herstellen", "Gebruik", "HerstellenP"},
        {"Invoer", "Gebruik", "InvoerP"},
        {"Doorgeven", "Gebruik", "CopyP"},
        {"Kopiëren en plakken", "Gebruik", "PlakkenP"},
        {"Exporteren", "Gebruik", "ExporterenP"},
        {"Ongedaan maken", "Gebruik", "OngedaanP"},
        {"Zoomen", "Gebruik", "ZoomenP"},
        {"Schermlezer", "Gebruik", "SchermlezerP"},
    };
    EXPECT_EQ(help->windowTitle(), "Help");
    EXPECT_EQ(help->TreeView1->indentation(), 19);
    EXPECT_EQ(help->NodeAt(11), nullptr);
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        QTreeWidgetItem* node = help->NodeAt(i);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->text(0), QString::fromUtf8(nodes[i].text));
        EXPECT_EQ(node->parent() ? node->parent()->text(0) : QString(),
                  nodes[i].parent ? QString(nodes[i].parent) : QString());
        EXPECT_EQ(help->AbsoluteIndex(node), i);
        Request();
        Choose(i);
        EXPECT_EQ(VisiblePages(), std::vector<int>{i});
        EXPECT_EQ(help->Pages[std::size_t(i)]->objectName(), nodes[i].page);
    }
}

// Each row is one step; after it, the page shown. The window fits it, right beside the tree
// at the top, wherever the work area (800 wide) holds it.
TEST_F(HelpFormTest, PagesReplaceEachOtherAtTheTopAndTheWindowFitsThem) {
    enum class Step { Request, Choose, Hide, SwitchAway, SwitchBack, UserResize };
    struct Row {
        Step step;
        int node;
        int shown;
    };
    const Row rows[] = {
        {Step::Request, 0, 0},    {Step::Choose, 1, 1},     {Step::Choose, 0, 0},
        {Step::SwitchAway, 0, 0}, {Step::SwitchBack, 0, 0}, {Step::Choose, 4, 4},
        {Step::Hide, 0, 4},       {Step::Request, 0, 4},    {Step::Choose, 9, 9},
        {Step::Choose, 1, 1},     {Step::UserResize, 0, 1}, {Step::Choose, 4, 4},
    };
    const QSize usersSize(700, 500);
    bool userSized = false;
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
        case Step::UserResize: // from here on the window keeps the user's size
            help->resize(usersSize);
            userSized = true;
            break;
        }
        QApplication::processEvents();
        EXPECT_EQ(VisiblePages(), std::vector<int>{row.shown});
        EXPECT_EQ(Client(), userSized ? usersSize : Fitting(row.shown));
        EXPECT_EQ(help->TreeView1->pos(), QPoint(3, 0));
        EXPECT_EQ(PlaceOf(row.shown), QPoint(PageX(), 0));
        EXPECT_EQ(help->CurrentPage(), row.shown);
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
        {Qt::Key_End, Qt::NoModifier, false, 10},     {Qt::Key_Home, Qt::NoModifier, false, 0},
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
        {":/help/Plakken.svg", {636, 190}, {1, 1}, false},
        {":/help/Exporteren.svg", {656, 250}, {1, 1}, false},
        {":/help/Ongedaan.svg", {636, 200}, {1, 1}, false},
        {":/help/Zoomen.svg", {616, 180}, {1, 1}, false},
        {":/help/Schermlezer.svg", {636, 180}, {1, 1}, false},
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
        const THelpPicture* picture = help->Pages[std::size_t(i)];
        EXPECT_EQ(picture->size(), row.size + QSize(2, 2) * row.inPage.x());
        EXPECT_EQ(QPoint(picture->Inset(), picture->Inset()), row.inPage);
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
    Choose(2); // 770 wide beside the tree
    QApplication::processEvents();
    const QRect work = help->screen()->availableGeometry();
    EXPECT_TRUE(work.contains(help->frameGeometry()));
    EXPECT_EQ(help->frameGeometry().width(), work.width());
    auto* scroll = help->findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 770 - scroll->viewport()->width());
    Choose(0);
    QApplication::processEvents();
    EXPECT_EQ(help->size(), Fitting(0));
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
            Choose(int(random() % TZelmEditHelp::PageCount));
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
        if (current >= 0) {
            ASSERT_EQ(help->Pages[std::size_t(current)]->pos(), QPoint(0, 0));
            ASSERT_EQ(help->findChild<QScrollArea*>()->geometry().topLeft(), QPoint(PageX(), 0));
        }
    }
}

// One window, and Tab from the tree lands on the page: a graphic that says what it shows.
TEST_F(HelpFormTest, TabFromTheTreeReachesThePageAsAGraphicThatSpeaks) {
    Request();
    Choose(7);
    help->TreeView1->setFocus();
    QTest::keyClick(help->TreeView1, Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_EQ(focused, help->Pages[7]);
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(focused);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->role(), QAccessible::Graphic);
    EXPECT_TRUE(page->state().focused);
    EXPECT_EQ(page->text(QAccessible::Name), "Afbeelding: Exporteren");
    EXPECT_TRUE(page->text(QAccessible::Description).contains(".docx"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help.get())->role(), QAccessible::Window);
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
    // It opens usable: its first page, right beside the tree at the top, the window as large
    // as the page and the tree, and resizable.
    EXPECT_EQ(help.CurrentPage(), 0);
    EXPECT_TRUE(help.Pages[0]->isVisible());
    const int pageX = help.TreeView1->geometry().right() + 1 + 6;
    EXPECT_EQ(help.Pages[0]->mapTo(&help, QPoint()), QPoint(pageX, 0));
    EXPECT_LT(pageX, 200);
    EXPECT_EQ(help.width(), pageX + help.Pages[0]->width());
    EXPECT_GE(help.height(), help.Pages[0]->height());
    EXPECT_NE(help.minimumSize(), help.maximumSize());
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
