// The recovery store: numbered states of the document in the recovery folder, written before
// every split and join, walked through with "&Vorige" and "&Terug", and the state left by
// closing for the next run.
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>

#include "app/MainWindow.h"
#include "files/FileIO.h"
#include "platform/Platform.h"

namespace zelm {

namespace {

const QString RecoveryExtension = ".wes";

// A file written on closing is caption + "0" + ".wes"; cutting those five characters gives the
// caption back, also when the caption itself ends in digits.
constexpr qsizetype ClosingSuffixLength = 5;

} // namespace

QString TBasisMath::HerstelFileName(int n) const {
    return HerstelDir + windowTitle() + QString::number(n) + RecoveryExtension;
}

void TBasisMath::SaveHerstel() {
    // The counter moves only once the state is safely on disk; a failure stops the caller.
    const QString name = HerstelFileName(HerstelNummer);
    Save(name);
    writtenStates_.insert(QFileInfo(name).fileName());
    ++HerstelNummer;
}

void TBasisMath::Herstel1Click() {
    if (HerstelNummer > 0) {
        SaveHerstel(); // the present state, so that "&Terug" can come back to it
        HerstelNummer -= 2;
        if (!Load(HerstelFileName(HerstelNummer))) HerstelNummer += 2; // cancelled
        return;
    }
    // At the start of a run: the state the previous run left on closing, under its caption.
    const std::vector<std::string> names =
        ListFiles(NativePath(HerstelDir), RecoveryExtension.toStdString());
    if (names.empty()) return;
    const QString name = DecodeFileName(names.front());
    LoadNamed(HerstelDir + name, name.chopped(std::min(ClosingSuffixLength, name.size())), DocDir,
              false);
}

void TBasisMath::mterugClick() {
    const QString next = HerstelFileName(HerstelNummer + 1);
    if (!FileExists(NativePath(next))) return;
    ++HerstelNummer;
    if (!Load(next)) --HerstelNummer; // cancelled
}

void TBasisMath::ClearDir(const QString& folder, const QString& keep) {
    DeleteMatching(NativePath(folder), RecoveryExtension.toStdString(), NativePath(keep));
}

// The closing state goes in first; only once it is safely stored do the session's other states
// go. A closing save that fails thus keeps every earlier state for the next run. While another
// instance holds the folder, its states stay: it may still be stepping through them.
void TBasisMath::FormClose() {
    const QString closing = HerstelFileName(0);
    Save(closing);
    const QString keep = QFileInfo(closing).fileName();
    if (!herstelClaim_ || !herstelClaim_->HeldByOthers()) {
        ClearDir(HerstelDir, keep);
        return;
    }
    for (const QString& name : writtenStates_)
        if (name != keep) QFile::remove(HerstelDir + name);
}

void TBasisMath::StartCounter() {
    // The state the previous run left on closing stays for "&Vorige": this run numbers its own
    // states from 1.
    if (FileExists(NativePath(HerstelFileName(0)))) HerstelNummer = 1;
}

void TBasisMath::closeEvent(QCloseEvent* e) {
    // Closing never asks and is never refused: a state that cannot be stored is reported and
    // the window closes all the same.
    try {
        FormClose();
    } catch (const std::exception& error) {
        ReportFailure(error);
    }
    QMainWindow::closeEvent(e);
}

} // namespace zelm
