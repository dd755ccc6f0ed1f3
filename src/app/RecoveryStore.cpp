#include "app/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <exception>

#include "app/MainWindow.h"
#include "files/FileIO.h"
#include "files/SessionFolder.h"
#include "platform/Platform.h"

namespace zelm {

namespace {

const QString RecoveryExtension = ".wes";

const QString RecoveryFolderMade = "Er is een Herstel directorie gemaakt: ";

// A file written on closing is caption + "0" + ".wes"; cutting those five characters gives the
// caption back, also when the caption itself ends in digits.
constexpr qsizetype ClosingSuffixLength = 5;

} // namespace

RecoveryStore::RecoveryStore(TBasisMath& window) : window_(window) {}

RecoveryStore::~RecoveryStore() = default;

// The recovery folder lives next to the program; a program folder we may not write to (a
// read-only install) gets it in the user's data folder instead, so splitting and joining
// lines keep working. An installed program always keeps it per user: its folder is shared by
// every user, even where one of them (root) may write there.
void RecoveryStore::MakeRecoveryFolder(const QString& programDir,
                                       const std::function<void(const QString&)>& showMessage) {
    QString& herstelDir = window_.HerstelDir;
    const QString beside = QDir(programDir).absolutePath() + "/Herstel/";
    const QString perUser =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    QStringList folders = {perUser};
    if (InstalledDataFolder(programDir).isEmpty()) folders.prepend(beside);
    for (const QString& folder : folders) {
        QFileInfo info(folder);
        if (info.isDir() && info.isWritable()) {
            herstelDir = folder;
            return;
        }
        if (!info.exists() && QDir().mkpath(folder) && QFileInfo(folder).isWritable()) {
            herstelDir = folder;
            showMessage(RecoveryFolderMade + folder);
            return;
        }
    }
    herstelDir = beside; // neither is usable: later writes report their own errors
}

void RecoveryStore::ClaimFolder() {
    herstelClaim_ = std::make_unique<FolderClaim>(NativePath(window_.HerstelDir));
    session_ = std::make_unique<SessionFolder>(NativePath(window_.HerstelDir));
}

QString RecoveryStore::SessionPath() const {
    return session_ ? DecodeFileName(session_->Path()) : QString();
}

QString RecoveryStore::HerstelFileName(int n) const {
    return window_.HerstelDir + window_.windowTitle() + QString::number(n) + RecoveryExtension;
}

void RecoveryStore::SaveHerstel() {
    // The counter moves only once the state is safely on disk; a failure stops the caller.
    int& nummer = window_.HerstelNummer;
    const QString name = HerstelFileName(nummer);
    window_.Save(name);
    writtenStates_.insert(QFileInfo(name).fileName());
    ++nummer;
}

void RecoveryStore::Herstel1Click() {
    int& nummer = window_.HerstelNummer;
    const QString& herstelDir = window_.HerstelDir;
    if (nummer > 0) {
        SaveHerstel(); // the present state, so that "&Terug" can come back to it
        nummer -= 2;
        if (!window_.Load(HerstelFileName(nummer))) nummer += 2; // cancelled
        return;
    }
    // At the start of a run: the state the previous run left on closing, under its caption.
    const std::vector<std::string> names =
        ListFiles(NativePath(herstelDir), RecoveryExtension.toStdString());
    if (names.empty()) return;
    const QString name = DecodeFileName(names.front());
    window_.Document().LoadNamed(herstelDir + name,
                                 name.chopped(std::min(ClosingSuffixLength, name.size())),
                                 window_.DocDir, false);
}

void RecoveryStore::mterugClick() {
    int& nummer = window_.HerstelNummer;
    const QString next = HerstelFileName(nummer + 1);
    if (!FileExists(NativePath(next))) return;
    ++nummer;
    if (!window_.Load(next)) --nummer; // cancelled
}

void RecoveryStore::ClearDir(const QString& folder, const QString& keep) {
    DeleteMatching(NativePath(folder), RecoveryExtension.toStdString(), NativePath(keep));
}

// The closing state goes in first; only once it is safely stored do the session's other states
// go. A closing save that fails thus keeps every earlier state for the next run. While another
// instance holds the folder, its states stay: it may still be stepping through them.
void RecoveryStore::FormClose() {
    const QString& herstelDir = window_.HerstelDir;
    const QString closing = HerstelFileName(0);
    window_.Save(closing);
    const QString keep = QFileInfo(closing).fileName();
    if (!herstelClaim_ || !herstelClaim_->HeldByOthers()) {
        ClearDir(herstelDir, keep);
        return;
    }
    for (const QString& name : writtenStates_)
        if (name != keep) QFile::remove(herstelDir + name);
}

void RecoveryStore::StartCounter() {
    // The state the previous run left on closing stays for "&Vorige": this run numbers its own
    // states from 1.
    if (FileExists(NativePath(HerstelFileName(0)))) window_.HerstelNummer = 1;
}

} // namespace zelm
