// The main menu in the menu bar. The file and recovery items are here; the other items of the
// bar join them in their own places.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <exception>

#include "app/MathEdit.h"
#include "platform/Platform.h"

namespace zelm {

void TBasisMath::CreateMainMenu() {
    QMenuBar* bar = menuBar();
    auto command = [this](QAction* item, void (TBasisMath::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { RunReportingFailure(handler); });
    };

    // Bar items without a submenu run their command directly.
    MSave = bar->addAction("Op&slaan");
    command(MSave, &TBasisMath::MSaveClick);
    MLoad = bar->addAction("&Openen");
    command(MLoad, &TBasisMath::MLoadClick);

    Herstel1 = bar->addMenu("&Herstel");
    mVorige = Herstel1->addAction("&Vorige");
    mVorige->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    command(mVorige, &TBasisMath::Herstel1Click);
    Herstel1->setDefaultAction(mVorige);
    mterug = Herstel1->addAction("&Terug");
    mterug->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    command(mterug, &TBasisMath::mterugClick);

    // Pictures, printing and the messaging program.
    QMenu* kopieren = bar->addMenu("&Kopiëren");
    command(kopieren->addAction("JPG"), &TBasisMath::MjpgClick);
    command(kopieren->addAction("Metafile"), &TBasisMath::MWMFClick);
    command(bar->addAction("&Print"), &TBasisMath::MPrintClick);
    command(bar->addAction("&WhatsAppWeb"), &TBasisMath::MWattsAppClick);
}

// A menu command runs inside Qt's menu and shortcut machinery, which an exception must not
// cross; its failure is reported here and the program goes on.
void TBasisMath::RunReportingFailure(void (TBasisMath::*command)()) {
    try {
        (this->*command)();
    } catch (const std::exception& error) {
        ReportFailure(error);
    }
}

void TBasisMath::ReportFailure(const std::exception& error) {
    const QString message = QString::fromLocal8Bit(error.what());
    if (showError)
        showError(message);
    else
        ShowErrorMessage(message);
}

} // namespace zelm
