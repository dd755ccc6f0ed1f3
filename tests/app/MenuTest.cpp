// The main menu, the window menu and the font and settings commands. Lines measure on the fixed
// canvas: a line in Tahoma -16 is 24 pixels high.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/MainWindow.h"
#include "app/MenuStyle.h"
#include "app/WrappingMenuBar.h"
#include "dialogs/FontDialog.h"
#include "dialogs/OKCANCL2.h"
#include "platform/ErrorReport.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

// A desktop that hides accelerator letters until Alt is pressed.
class HidingStyle : public QProxyStyle {
public:
    HidingStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_UnderlineShortcut) return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

class MenuTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the widgets below
    QTemporaryDir programDir;
    QStringList messages;
    std::unique_ptr<TBasisMath> window;
    std::unique_ptr<TOptiesVenster> opties;

    TBasisMath& Start() {
        window = std::make_unique<TBasisMath>(programDir.path(),
                                              [this](const QString& m) { messages << m; });
        window->showError = [this](const QString& m) { messages << m; };
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    /// Creates the settings dialog as start-up does.
    TOptiesVenster& StartOpties() {
        opties = std::make_unique<TOptiesVenster>(window->WindowFont, window->WindowFontColor,
                                                  window->HerstelDir, window.get(),
                                                  [this](const QString& m) { messages << m; });
        opties->beep = [] {};
        window->UseOptiesVenster(*opties);
        return *opties;
    }
    TMathEditor* Line(int i) const { return window->Lines()[std::size_t(i)]; }
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    /// Runs `item` while `inside` acts in the modal dialog it opens.
    static void RunModal(QAction* item, std::function<void()> inside) {
        QTimer::singleShot(0, [inside] { inside(); });
        item->trigger();
    }
};

// Every item of the three menus as the menus are designed.
TEST_F(MenuTest, ItemsAsDesigned) {
    TBasisMath& w = Start();
    StartOpties();
    struct Row {
        QAction* item;
        const char* caption;
        const char* shortcut;
        int checked; // -1: not checkable
        bool isDefault;
        int picture;
        bool ownerDrawn;
        bool enabled; // false: the command is not built here yet
    };
    const Row rows[] = {
        {w.MSchrijven->menuAction(), "&Kopiëren", "", -1, false, 0, true, true},
        {w.Mjpg, "JPG", "", -1, true, -1, false, true},
        {w.MWMF, "Metafile", "", -1, false, -1, false, true},
        {w.MLatex, "LaTeX", "", -1, false, -1, false, true},
        {w.MMathML, "MathML", "", -1, false, -1, false, true},
        {w.MExporteren, "Exporteren…", "", -1, false, -1, false, true},
        {w.KopieerFormule, "Kopiëren als formule", "Ctrl+Alt+C", -1, false, -1, false, true},
        {w.PlakFormule, "Plakken als formule", "Ctrl+Alt+V", -1, false, -1, false, true},
        {w.MSave, "Op&slaan", "", -1, false, 1, true, true},
        {w.MLoad, "&Openen", "", -1, false, 1, true, true},
        {w.MPrint, "&Print", "", -1, false, 4, true, true},
        {w.MDocument->menuAction(), "&Alles", "", -1, false, 3, true, true},
        {w.Font1, "Font", "", -1, false, -1, false, true},
        {w.plText, "PlainText", "", 1, false, -1, false, true},
        {w.Nieuw1, "Nieuw", "", -1, false, -1, false, true},
        {w.Herstel1->menuAction(), "&Herstel", "", -1, false, -1, true, true},
        {w.mVorige, "&Vorige", "Ctrl+Shift+Z", -1, true, -1, false, true},
        {w.mterug, "&Terug", "Ctrl+Shift+T", -1, false, -1, false, true},
        {w.MWattsApp, "&WhatsAppWeb", "", -1, false, -1, true, true},
        {w.Instellingen1, "&Instellingen", "", -1, false, -1, false, true},
        {w.PopupMenu1->actions()[0], "-----Regel----", "", -1, false, -1, false, false},
        {w.popPlainText, "Plain&Text", "Ctrl+T", 1, false, -1, true, true},
        {w.PopFont, "&Font", "Ctrl+F", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[3], "&Alles kiezen", "Ctrl+A", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[4], "&Herstellen", "Ctrl+Z", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[5], "Opnieuw", "Ctrl+Y", -1, false, -1, false, true},
        {w.PopupMenu1->actions()[6], "-----Selectie-----", "", -1, false, -1, false, false},
        {w.PopupMenu1->actions()[7], "&Knippen", "Ctrl+X", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[8], "&Kopiëren", "Ctrl+C", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[9], "&Plakken", "Ctrl+V", -1, false, -1, true, true},
        {w.PopupMenu1->actions()[12], "&Markeren", "Ctrl+M", -1, false, -1, false, true},
        {w.PopupMenu1->actions()[14], "Functie&Lijst", "Ctrl+L", -1, true, -1, true, true},
        {w.Alleswissen1, "Alles wissen", "", -1, false, -1, false, true},
        {w.Nieuweregel1, "Nieuweregel", "", -1, false, -1, false, true},
        {w.Inzoomen, "Inzoomen", "Ctrl+Alt+=", -1, false, -1, false, true},
        {w.Uitzoomen, "Uitzoomen", "Ctrl+Alt+-", -1, false, -1, false, true},
        {w.WareGrootte, "Ware grootte", "Ctrl+Alt+0", -1, false, -1, false, true},
    };
    EXPECT_EQ(w.MSchrijven->actions(),
              (QList<QAction*>{w.Mjpg, w.MWMF, w.MLatex, w.MMathML, w.MExporteren}));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        ASSERT_NE(r.item, nullptr);
        EXPECT_EQ(r.item->text(), QString::fromUtf8(r.caption));
        EXPECT_EQ(r.item->shortcut(), QKeySequence(r.shortcut));
        EXPECT_EQ(r.item->isCheckable(), r.checked >= 0);
        if (r.checked >= 0) {
            EXPECT_EQ(r.item->isChecked(), r.checked == 1);
        }
        if (const auto* menu = qobject_cast<QMenu*>(r.item->parent())) {
            EXPECT_EQ(menu->defaultAction() == r.item, r.isDefault);
        }
        EXPECT_EQ(ImageIndex(*r.item), r.picture);
        if (r.picture >= 0)
            EXPECT_EQ(r.item->icon().pixmap(16).toImage(),
                      MenuPicture(r.picture).pixmap(16).toImage());
        else
            EXPECT_TRUE(r.item->icon().isNull());
        EXPECT_EQ(IsOwnerDrawn(*r.item), r.ownerDrawn);
        EXPECT_EQ(r.item->isEnabled(), r.enabled);
    }
    EXPECT_TRUE(w.PopupMenu1->actions()[13]->isSeparator());
    EXPECT_EQ(w.PopupMenu1->actions().size(), 15);
    // The formula commands stand in the line menu too, where a user finds them.
    EXPECT_EQ(w.PopupMenu1->actions().mid(10, 2),
              (QList<QAction*>{w.KopieerFormule, w.PlakFormule}));
    EXPECT_EQ(qobject_cast<WrappingMenuBar*>(w.menuBar())->Items().size(), 8);
    EXPECT_EQ(w.PopupMenu2->actions().size(), 6); // and a separator before the zoom
    EXPECT_TRUE(MenuPicture(2).isNull());
    // The pictures are drawn, not empty, and at any size.
    for (int i : {0, 1, 3, 4}) {
        const QImage big = MenuPicture(i).pixmap(64).toImage();
        EXPECT_EQ(big.size(), QSize(64, 64));
        EXPECT_NE(big.pixelColor(32, 32).alpha() + big.pixelColor(8, 40).alpha(), 0) << i;
    }

    // A desktop that adds accelerator letters of its own gets the caption back at once; the
    // program's own changes stay.
    w.plText->setText("&PlainText");
    EXPECT_EQ(w.plText->text(), "PlainText");
    w.PopFont->setText("F&ont");
    EXPECT_EQ(w.PopFont->text(), "&Font");
}

// At the designed width of 480 pixels the bar's eight items do not fit side by side: they wrap
// onto a second row, every one of them shown in full, none hidden behind "»".
TEST_F(MenuTest, TheMenuBarWrapsItsItemsOntoASecondRow) {
    TBasisMath& w = Start();
    Settle();
    ASSERT_EQ(w.width(), 480);
    QMenuBar* bar = w.menuBar();
    QList<QMenuBar*> rows = bar->findChildren<QMenuBar*>();
    rows.prepend(bar);
    QList<QRect> shown; // in the window's coordinates
    for (QMenuBar* row : rows) {
        if (!row->isVisible()) continue;
        for (QAction* item : row->actions()) {
            const QRect r = row->actionGeometry(item);
            if (!r.isEmpty() && row->rect().contains(r))
                shown << r.translated(row->mapTo(&w, QPoint(0, 0)));
        }
    }
    ASSERT_EQ(shown.size(), 8);
    EXPECT_GT(shown.back().top(), shown.front().bottom()); // a second row
    for (const QRect& r : shown)
        EXPECT_TRUE(bar->geometry().contains(r));
}

// "&Vorige" and "&Terug" show their shortcuts as the line menu's items do, also on a desktop
// that keeps shortcuts out of menus not opened from a menu bar: the menus are as wide there.
TEST_F(MenuTest, ItemsShowTheirShortcutsOnEveryDesktop) {
    TBasisMath& w = Start();
    const bool desktop = QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus);
    for (QMenu* menu : {w.Herstel1, w.PopupMenu1}) {
        auto widthWhere = [&](bool hidden) {
            QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, hidden);
            QMenu fresh; // measured anew
            fresh.addActions(menu->actions());
            return fresh.sizeHint().width();
        };
        EXPECT_EQ(widthWhere(true), widthWhere(false)) << menu->title().toStdString();
    }
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, desktop);
}

// With the desktop hiding accelerator letters, the owner-drawn items still underline theirs:
// only an underline tells the two renderings of such an item apart.
TEST_F(MenuTest, OwnerDrawnItemsAlwaysUnderline) {
    TBasisMath& w = Start();
    MenuStyle underlining(new HidingStyle);
    HidingStyle hiding;
    QMenu* menu = w.PopupMenu1;
    auto render = [menu](QStyle* style) {
        menu->setStyle(style);
        menu->resize(menu->sizeHint());
        return menu->grab().toImage();
    };
    const QImage hidden = render(&hiding);
    const QImage shown = render(&underlining);
    ASSERT_EQ(hidden.size(), shown.size());
    for (QAction* item : menu->actions()) {
        SCOPED_TRACE(item->text().toStdString());
        if (item->isSeparator() || IsHeading(*item)) continue; // a heading looks enabled
        QStyleOptionMenuItem option;
        option.rect = menu->actionGeometry(item);
        const bool underlined = underlining.styleHint(QStyle::SH_UnderlineShortcut, &option, menu);
        const bool expected = IsOwnerDrawn(*item);
        EXPECT_EQ(underlined, expected);
        EXPECT_FALSE(
            static_cast<QStyle&>(hiding).styleHint(QStyle::SH_UnderlineShortcut, &option, menu));
        // The text may be laid out slightly differently; the underline is a run of pixels
        // side by side that turn dark only where it is drawn.
        QList<int> lineRows;
        bool same = true;
        const QRect r = option.rect;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            int run = 0, longest = 0; // darkened pixels side by side
            for (int x = r.left(); x <= r.right(); ++x) {
                same = same && hidden.pixel(x, y) == shown.pixel(x, y);
                run = qGray(hidden.pixel(x, y)) - qGray(shown.pixel(x, y)) > 80 ? run + 1 : 0;
                longest = std::max(longest, run);
            }
            if (longest >= 4) lineRows << y;
        }
        if (expected) {
            ASSERT_GE(lineRows.size(), 1);
            EXPECT_LE(lineRows.back() - lineRows.front(), 1);
        } else {
            EXPECT_TRUE(same);
        }
    }
    menu->setStyle(w.menuStyle);
    // The menu bar: its owner-drawn items likewise, "&Instellingen" as the desktop says.
    QMenuBar* bar = w.menuBar();
    bar->setStyle(&underlining);
    QList<QMenuBar*> rows = bar->findChildren<QMenuBar*>(); // the rows it wraps onto
    for (QMenuBar* row : rows << bar) {
        for (QAction* item : row->actions()) {
            QStyleOptionMenuItem option;
            option.rect = row->actionGeometry(item);
            EXPECT_EQ(bool(underlining.styleHint(QStyle::SH_UnderlineShortcut, &option, row)),
                      item != w.Instellingen1)
                << item->text().toStdString();
        }
    }
    bar->setStyle(w.menuStyle);
}

// "Nieuw", "Alles wissen" and "Nieuweregel": also on a window without lines.
// Every box and dialog is a child of the window that stays on top: also a failed "&Openen" once
// its dialog has gone and the window is not active again, and the report at the event loop.
TEST_F(MenuTest, EveryBoxAndDialogIsAChildOfTheWindow) {
    TBasisMath& w = Start();
    w.showError = nullptr;
    std::vector<QWidget*> parents;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) {
                parents.push_back(dialog->parentWidget() ? dialog->parentWidget()->window() : top);
                dialog->done(0);
            }
    });
    closer.start(10);
    w.MLoad->trigger(); // the open dialog itself
    w.Document().chooseOpenFile = [&](const QString&) {
        QApplication::setActiveWindow(nullptr);
        return programDir.filePath("weg.mds");
    };
    w.MLoad->trigger();
    ShowErrorMessage("Foutje");
    EXPECT_EQ(parents, std::vector<QWidget*>(3, &w));
}

TEST_F(MenuTest, ClearingAndAddingLines) {
    TBasisMath& w = Start();
    w.setWindowTitle("Som");
    w.InsertLineBelow(*Line(0))->SetText(" b");
    w.InsertLineBelow(*Line(1))->SetText(" c");
    Settle();
    ASSERT_EQ(w.Lines().size(), 3u);
    w.Nieuw1->trigger();
    Settle();
    ASSERT_EQ(w.Lines().size(), 1u);
    EXPECT_EQ(Line(0)->Text(), " ");
    EXPECT_EQ(Line(0)->LineIndex(), 0);
    EXPECT_EQ(Line(0)->y(), 0);
    EXPECT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(w.windowTitle(), "Som");

    // An empty document leaves a window without lines.
    QTemporaryDir dir;
    const QString empty = dir.filePath("leeg.mds");
    QFile f(empty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    w.Document().Load(empty);
    Settle();
    ASSERT_TRUE(w.Lines().empty());
    struct Step {
        QAction* item;
        std::vector<int> tops;
    };
    const Step steps[] = {
        {w.Nieuweregel1, {0}},
        {w.Nieuweregel1, {0, 24}},
        {w.Nieuweregel1, {0, 24, 48}},
        {w.Alleswissen1, {0}},
    };
    for (const Step& s : steps) {
        s.item->trigger();
        Settle();
        std::vector<int> tops;
        for (const TMathEditor* l : w.Lines())
            tops.push_back(l->y());
        EXPECT_EQ(tops, s.tops);
        EXPECT_TRUE(w.Lines().back()->hasFocus());
        EXPECT_EQ(w.Lines().back()->LineIndex(), int(s.tops.size()) - 1);
        // As wide as the window, so that a right click beside the text is on the line.
        EXPECT_EQ(w.Lines().back()->width(), w.ClientSize().width());
    }
    // A right click outside the lines opens the window menu; on the menu bar it does not.
    QContextMenuEvent outside(QContextMenuEvent::Mouse, QPoint(10, w.height() - 5),
                              w.mapToGlobal(QPoint(10, w.height() - 5)));
    QApplication::sendEvent(&w, &outside);
    EXPECT_TRUE(w.PopupMenu2->isVisible());
    w.PopupMenu2->hide();
    QContextMenuEvent onBar(QContextMenuEvent::Mouse, w.menuBar()->geometry().center(),
                            w.mapToGlobal(w.menuBar()->geometry().center()));
    QApplication::sendEvent(&w, &onBar);
    EXPECT_FALSE(w.PopupMenu2->isVisible());
}

// "Font" in "&Alles" gives every line the window's font, even when cancelled; "&Font" changes
// the line with the focus only when confirmed; "PlainText" sets the mode of all.
TEST_F(MenuTest, FontAndModeCommands) {
    TBasisMath& w = Start();
    w.InsertLineBelow(*Line(0));
    Settle();
    const FontDesc arial{"Arial", -24, 0, 700, 0, 0, 0, 1};
    std::optional<ChosenFont> answer;
    FontDesc offered;
    w.chooseFont = [&](const FontDesc& f, ColorRef) {
        offered = f;
        return answer;
    };
    struct Step {
        const char* what;
        QAction* item;
        std::optional<ChosenFont> answer;
        FontDesc line0, line1;
        ColorRef colour0;
    };
    const FontDesc tahoma = w.WindowFont;
    Line(1)->setFocus();
    const Step steps[] = {
        {"&Font cancelled", w.PopFont, std::nullopt, tahoma, tahoma, 0},
        {"&Font confirmed", w.PopFont, ChosenFont{arial, 0xFF}, tahoma, arial, 0},
        {"Font cancelled", w.Font1, std::nullopt, tahoma, tahoma, 0},
        {"Font confirmed", w.Font1, ChosenFont{arial, 0xFF}, arial, arial, 0xFF},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        answer = s.answer;
        s.item->trigger();
        EXPECT_EQ(Line(0)->Font(), s.line0);
        EXPECT_EQ(Line(1)->Font(), s.line1);
        EXPECT_EQ(Line(0)->FontColor(), s.colour0);
    }
    EXPECT_EQ(offered, tahoma); // "Font" offers the window's font, not a line's
    EXPECT_EQ(w.CreateEd()->Font(), arial);

    w.plText->trigger(); // unchecks itself first
    EXPECT_FALSE(w.plText->isChecked());
    EXPECT_FALSE(EditorState().plainTextDefault);
    for (const TMathEditor* l : w.Lines())
        EXPECT_FALSE(l->PlainText());
    w.plText->trigger();
    EXPECT_TRUE(EditorState().plainTextDefault);
    EXPECT_TRUE(Line(0)->PlainText());
}

// "&Instellingen" confirmed changes the lines made later; the lines there keep their own.
// The stored settings are read at start but applied only by OK.
TEST_F(MenuTest, SettingsApplyToLaterLines) {
    TBasisMath& w = Start();
    {
        TOpties stored{{"Arial", 20, 0x000000FF, 1, 0}, false};
        QFile f(w.HerstelDir + "Instellingen.ops");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const Bytes b = EncodeOpties(stored);
        f.write(b.data(), qint64(b.size()));
    }
    Line(0)->SetText(" sin");
    messages.clear();
    TOptiesVenster& d = StartOpties();
    EXPECT_EQ(d.Opties.font.face, "Arial");
    EXPECT_EQ(w.WindowFont.face, "Tahoma");
    EXPECT_TRUE(EditorState().plainTextDefault);

    RunModal(w.Instellingen1, [&] {
        // The first line in the stored mode: "sin" is recognised as a function name.
        EXPECT_EQ(d.VoorbeeldEditor->Text(), Bytes(" ") + char(1));
        d.CancelBtn->click();
    });
    EXPECT_EQ(w.WindowFont.face, "Tahoma");

    RunModal(w.Instellingen1, [&] { d.OKBtn->click(); });
    EXPECT_EQ(w.WindowFont.face, "Arial");
    EXPECT_EQ(w.WindowFont.height, -27); // -MulDiv(20, 96, 72)
    EXPECT_EQ(w.WindowFontColor, 0xFFu);
    EXPECT_FALSE(EditorState().plainTextDefault);
    EXPECT_EQ(Line(0)->Font().face, "Tahoma");
    EXPECT_TRUE(Line(0)->PlainText());
    TMathEditor* later = w.InsertLineBelow(*Line(0));
    EXPECT_EQ(later->Font().face, "Arial");
    EXPECT_EQ(later->FontColor(), 0xFFu);
    EXPECT_EQ(w.CreateEd()->PlainText(), false);
    EXPECT_TRUE(messages.isEmpty());
}

// The font dialog offers the colour beside face, size and style, and keeps the face's name.
TEST(FontDialogTest, ChoiceKeepsTheFaceNameAndAddsTheColour) {
    struct Case {
        const char* what;
        FontDesc preset;
        ColorRef colour;
        std::function<void(TFontDialog&)> change;
        FontDesc face; // expected font
        ColorRef expectedColour;
        int colourIndex;
    };
    const FontDesc arial{"Arial", -16, 0, 400, 0, 0, 0, 1};
    FontDesc tahoma20{"Tahoma", -27, 0, 400, 0, 0, 0, 1};
    FontDesc arialBold = arial;
    arialBold.weight = 700;
    const Case cases[] = {
        {"unchanged", arial, 0x000000FF, [](TFontDialog&) {}, arial, 0xFF, 9},
        {"another colour", arial, 0x000000FF, [](TFontDialog& d) { d.Kleur->setCurrentIndex(12); },
         arial, 0x00FF0000, 12},
        {"bold", arialBold, 0, [](TFontDialog&) {}, arialBold, 0, 0},
        {"another face and size", arial, 0,
         [](TFontDialog& d) { d.Fonts->setCurrentFont(QFont("Tahoma", 20)); }, tahoma20, 0, 0},
        {"a colour of no entry", arial, 0x00123456, [](TFontDialog&) {}, arial, 0x00123456, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFontDialog dialog(c.preset, c.colour);
        EXPECT_EQ(dialog.Kleur->count(), 16);
        EXPECT_EQ(dialog.Kleur->itemText(13), "Fuchsiapaars");
        c.change(dialog);
        const ChosenFont chosen = dialog.Choice();
        EXPECT_EQ(chosen.font, c.face);
        EXPECT_EQ(chosen.color, c.expectedColour);
        EXPECT_EQ(dialog.Kleur->currentIndex(), c.colourIndex);
    }
}

} // namespace
} // namespace zelm
