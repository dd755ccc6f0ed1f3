// The main menu in the menu bar, the window menu, and the menu style that both menus of the
// lines and the bar share.
#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <exception>

#include "app/MainWindow.h"
#include "app/MenuStyle.h"
#include "app/WrappingMenuBar.h"
#include "platform/ErrorReport.h"

namespace zelm {

void TBasisMath::CreateMainMenu() {
    auto* bar = new WrappingMenuBar(this);
    setMenuBar(bar);
    // An item runs the handler of the part that implements it.
    auto command = [this](QAction* item, auto& part, auto handler) {
        connect(item, &QAction::triggered, this,
                [this, &part, handler] { RunReportingFailure([&] { (part.*handler)(); }); });
    };
    // Pictures, prints and exports are drawn from the lines' layout at their actual size; a
    // document is loaded at it, so that the window takes the width the document stored.
    auto atActualSize = [this](QAction* item, auto& part, auto handler) {
        connect(item, &QAction::triggered, this, [this, &part, handler] {
            RunReportingFailure([&] { AtActualSize([&] { (part.*handler)(); }); });
        });
    };

    MSchrijven = bar->addMenu(QString::fromUtf8("&Kopiëren"));
    SetImageIndex(*MSchrijven->menuAction(), 0);
    Mjpg = MSchrijven->addAction("JPG");
    MSchrijven->setDefaultAction(Mjpg);
    atActualSize(Mjpg, pictures_, &PictureExport::MjpgClick);
    MWMF = MSchrijven->addAction("Metafile");
    atActualSize(MWMF, pictures_, &PictureExport::MWMFClick);
    MLatex = MSchrijven->addAction("LaTeX");
    command(MLatex, formulas_, &FormulaExchange::MLatexClick);
    MMathML = MSchrijven->addAction("MathML");
    command(MMathML, formulas_, &FormulaExchange::MMathMLClick);
    MExporteren = MSchrijven->addAction(QString::fromUtf8("Exporteren…"));
    atActualSize(MExporteren, formulas_, &FormulaExchange::MExporterenClick);
    // Bar items without a submenu run their command directly.
    MSave = bar->addAction("Op&slaan");
    SetImageIndex(*MSave, 1);
    command(MSave, document_, &DocumentFile::MSaveClick);
    MLoad = bar->addAction("&Openen");
    SetImageIndex(*MLoad, 1);
    atActualSize(MLoad, document_, &DocumentFile::MLoadClick);
    MPrint = bar->addAction("&Print");
    SetImageIndex(*MPrint, 4);
    atActualSize(MPrint, pictures_, &PictureExport::MPrintClick);

    MDocument = bar->addMenu("&Alles");
    SetImageIndex(*MDocument->menuAction(), 3);
    Font1 = MDocument->addAction("Font");
    command(Font1, *this, &TBasisMath::Font1Click);
    plText = MDocument->addAction("PlainText");
    plText->setCheckable(true); // toggles itself before its handler reads it
    plText->setChecked(true);
    command(plText, *this, &TBasisMath::plTextClick);
    Nieuw1 = MDocument->addAction("Nieuw");
    command(Nieuw1, *this, &TBasisMath::Alleswissen1Click);

    Herstel1 = bar->addMenu("&Herstel");
    mVorige = Herstel1->addAction("&Vorige");
    mVorige->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    atActualSize(mVorige, recovery_, &RecoveryStore::Herstel1Click);
    Herstel1->setDefaultAction(mVorige);
    mterug = Herstel1->addAction("&Terug");
    mterug->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    atActualSize(mterug, recovery_, &RecoveryStore::mterugClick);
    mVorigeSessies = Herstel1->addAction(QString::fromUtf8("Vorige sessies…"));
    atActualSize(mVorigeSessies, recovery_, &RecoveryStore::VorigeSessiesClick);

    MWattsApp = bar->addAction("&WhatsAppWeb");
    atActualSize(MWattsApp, pictures_, &PictureExport::MWattsAppClick);
    Instellingen1 = bar->addAction("&Instellingen");
    command(Instellingen1, *this, &TBasisMath::Instellingen1Click);
    Instellingen1->setEnabled(OptiesVenster != nullptr);

    for (QAction* item : {MSchrijven->menuAction(), MSave, MLoad, MPrint, MDocument->menuAction(),
                          Herstel1->menuAction(), MWattsApp})
        SetOwnerDrawn(*item);
    bar->Arrange();
    CreatePopupMenu2();
    StyleMenus();
}

void TBasisMath::CreatePopupMenu2() {
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setAccessibleName("Venstermenu");
    Alleswissen1 = PopupMenu2->addAction("Alles wissen");
    connect(Alleswissen1, &QAction::triggered, this,
            [this] { RunReportingFailure([this] { Alleswissen1Click(); }); });
    Nieuweregel1 = PopupMenu2->addAction("Nieuweregel");
    connect(Nieuweregel1, &QAction::triggered, this,
            [this] { RunReportingFailure([this] { Nieuweregel1Click(); }); });
    CreateZoomItems();
}

// The bar and the line menu draw their owner-drawn items through the menu style; every menu
// keeps its captions as written.
void TBasisMath::StyleMenus() {
    // Drawn the standard way: the headings, "&Markeren", "Opnieuw" and the formula commands.
    const QString headings[] = {"-----Regel----", "-----Selectie-----",   "&Markeren",
                                "Opnieuw",        KopieerFormule->text(), PlakFormule->text()};
    for (QAction* item : PopupMenu1->actions()) {
        const bool heading =
            std::find(std::begin(headings), std::end(headings), item->text()) != std::end(headings);
        if (!item->isSeparator() && !heading) SetOwnerDrawn(*item);
    }
    menuStyle = new MenuStyle;
    menuStyle->setParent(this);
    std::vector<QWidget*> menus = {menuBar(), MSchrijven, MDocument,
                                   Herstel1,  PopupMenu1, PopupMenu2};
    menuBar()->setAccessibleName("Hoofdmenu");
    if (auto* bar = qobject_cast<WrappingMenuBar*>(menuBar())) {
        menus.insert(menus.end(), bar->FurtherRows().begin(), bar->FurtherRows().end());
        int row = 1;
        for (QWidget* further : bar->FurtherRows())
            further->setAccessibleName("Hoofdmenu, rij " + QString::number(++row));
    }
    for (QWidget* menu : menus) {
        // A menu says its own name; a screen reader finds it by that.
        if (auto* popup = qobject_cast<QMenu*>(menu)) {
            if (popup->accessibleName().isEmpty())
                popup->setAccessibleName(QString(popup->title()).remove('&'));
            FocusOnOpen(*popup);
        }
        menu->setStyle(menuStyle);
        KeepCaptions(*menu);
        // Every item shows its shortcut, also where the desktop keeps them out of menus that
        // do not hang from a menu bar.
        for (QAction* item : menu->actions())
            item->setShortcutVisibleInContextMenu(true);
    }
}

// A menu that opens takes the focus itself, with no item chosen yet, so that a screen reader
// says its name and role; the first arrow key stands on its first command. (Were an item focused
// at once, the screen reader would pass over the menu and say only the item.)
void TBasisMath::FocusOnOpen(QMenu& menu) {
    connect(&menu, &QMenu::aboutToShow, this, [&menu] {
        QTimer::singleShot(0, &menu, [&menu] {
            if (!menu.isVisible()) return;
            menu.setActiveAction(nullptr);
            QAccessibleEvent focus(&menu, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        });
    });
}

void TBasisMath::contextMenuEvent(QContextMenuEvent* e) {
    // The menu bar is no part of the window's surface.
    if (menuBar()->geometry().contains(e->pos())) return QMainWindow::contextMenuEvent(e);
    PopupMenu2->popup(e->globalPos());
}

// A menu command runs inside Qt's menu and shortcut machinery, which an exception must not
// cross; its failure is reported here and the program goes on.
void TBasisMath::RunReportingFailure(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ReportFailure(QString::fromLocal8Bit(error.what()));
    }
}

void TBasisMath::ReportFailure(const QString& message) {
    if (showError)
        showError(message);
    else
        ShowMessageBox(this, message, true);
}

} // namespace zelm
