#include "app/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/SessionsDialog.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "files/SessionFolder.h"
#include "platform/FontTable.h"
#include "platform/Paths.h"

namespace zelm {

namespace {

const QString RecoveryExtension = ".wes";

const QString RecoveryFolderMade = "Er is een Herstel directorie gemaakt: ";
const QString UnsavedWork = QString::fromUtf8(
    "Het werk van de vorige sessie is niet opgeslagen; u vindt het in Herstel > Vorige sessies…");

// The files of a session folder besides its numbered states.
const QString ClosingPrefix = ClosingStatePrefix;
const QString DocumentNote = "Document.pad"; // the document last opened or saved, or empty
const QString AnnouncedNote = "Gemeld";      // its unsaved work has been announced

// A file written on closing is caption + "0" + ".wes"; cutting those five characters gives the
// caption back, also when the caption itself ends in digits.
constexpr qsizetype ClosingSuffixLength = 5;

constexpr std::time_t SecondsPerDay = 24 * 60 * 60;

std::vector<TLineRecord> RecordsOf(const QString& path) {
    return DecodeDocument(ReadWholeFile(NativePath(path)));
}

QStringList StatesIn(const QString& folder) {
    QStringList names;
    for (const std::string& name : ListFiles(NativePath(folder), RecoveryExtension.toStdString()))
        names << DecodeFileName(name);
    return names;
}

QString ClosingStateIn(const QString& session) {
    for (const QString& name : StatesIn(session))
        if (name.startsWith(ClosingPrefix)) return session + name;
    return {};
}

// The work is what the user sees of the lines: mode, font, text and codes; where each line
// stands is the window's layout.
bool SameWork(const TLineRecord& a, const TLineRecord& b) {
    return a.plainText == b.plainText && a.font == b.font && a.text == b.text && a.codes == b.codes;
}

bool Blank(const TLineRecord& line) {
    return line.codes.empty() && line.text.find_first_not_of(' ') == Bytes::npos;
}

// A closing state holds work no document holds when it differs from the document it was last
// opened from or saved to, or, without one, when it is not empty.
bool LeftUnsavedWork(const QString& closing, const QString& document) {
    std::vector<TLineRecord> state;
    try {
        state = RecordsOf(closing);
    } catch (const std::exception&) {
        return false; // nothing there to point at
    }
    if (document.isEmpty()) return !std::all_of(state.begin(), state.end(), Blank);
    try {
        const std::vector<TLineRecord> saved = RecordsOf(document);
        return !std::equal(state.begin(), state.end(), saved.begin(), saved.end(), SameWork);
    } catch (const std::exception&) {
        return true; // the document is gone
    }
}

QString FirstLineOf(const QString& state) {
    try {
        const std::vector<TLineRecord> first =
            DecodeDocument(ReadFilePrefix(NativePath(state), LineRecordSize));
        if (first.empty()) return {};
        Bytes text = first.front().text;
        std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < ' '; });
        return FromCp1252(text).trimmed();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

RecoveryStore::RecoveryStore(DocumentHost& host) : host_(host) {}

RecoveryStore::~RecoveryStore() = default;
// The recovery folder lives next to the program; a program folder we may not write to (a
// read-only install) gets it in the user's data folder instead, so splitting and joining
// lines keep working. An installed program always keeps it per user: its folder is shared by
// every user, even where one of them (root) may write there.
void RecoveryStore::MakeRecoveryFolder(const QString& programDir,
                                       const std::function<void(const QString&)>& showMessage) {
    QString& herstelDir = host_.HerstelDir;
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
    herstelClaim_ = std::make_unique<FolderClaim>(NativePath(host_.HerstelDir));
    session_ = std::make_unique<SessionFolder>(NativePath(host_.HerstelDir));
    sessionName_ = QDir(SessionPath()).dirName();
    if (SessionPath().isEmpty()) sessionName_.clear();
}

QString RecoveryStore::SessionPath() const {
    return session_ ? DecodeFileName(session_->Path()) : QString();
}

// This run's states live in its own session folder, so that no other instance, whatever its
// caption, writes or loads them. The folder is found below the recovery folder as it is now:
// a recovery folder that went away fails the save as any other file would. Without a session
// folder they go into the recovery folder itself.
QString RecoveryStore::StateFolder() const {
    if (sessionName_.isEmpty()) return host_.HerstelDir;
    return host_.HerstelDir + SessionsFolderName + "/" + sessionName_ + "/";
}

QString RecoveryStore::HerstelFileName(int n) const {
    return StateFolder() + host_.Caption() + QString::number(n) + RecoveryExtension;
}

QString RecoveryStore::ClosingFileName() const {
    return host_.HerstelDir + host_.Caption() + "0" + RecoveryExtension;
}

void RecoveryStore::SaveHerstel() {
    // The counter moves only once the state is safely on disk; a failure stops the caller.
    int& nummer = host_.HerstelNummer;
    const QString name = HerstelFileName(nummer);
    host_.Document().Save(name);
    writtenStates_.insert(name);
    lastStored_ = name;
    if (firstCaption_.isEmpty()) firstCaption_ = host_.Caption();
    ++nummer;
}

void RecoveryStore::FollowCaptionBack() {
    const QString name = HerstelFileName(host_.HerstelNummer - 1);
    if (lastStored_.isEmpty() || lastStored_ == name) return;
    if (std::rename(NativePath(lastStored_).c_str(), NativePath(name).c_str()) != 0) return;
    writtenStates_.erase(lastStored_);
    writtenStates_.insert(name);
    lastStored_ = name;
    if (writtenStates_.size() == 1) firstCaption_ = host_.Caption();
}

// The newest state closing left in the recovery folder: that of the instance closed last.
QString RecoveryStore::NewestClosingState() const {
    const QString& herstelDir = host_.HerstelDir;
    QString newest;
    QDateTime newestTime;
    for (const QString& name : StatesIn(herstelDir)) {
        const QDateTime time = QFileInfo(herstelDir + name).lastModified();
        if (newest.isEmpty() || time > newestTime) {
            newest = herstelDir + name;
            newestTime = time;
        }
    }
    return newest;
}

void RecoveryStore::Herstel1Click() {
    int& nummer = host_.HerstelNummer;
    if (nummer > 0) {
        SaveHerstel(); // the present state, so that "&Terug" can come back to it
        nummer -= 2;
        if (!host_.Document().Load(HerstelFileName(nummer))) nummer += 2; // cancelled
        return;
    }
    // Past this run's first state: the state the previous session of that caption left on
    // closing; at the start of a run, that of the window's caption, else the one left by the
    // instance closed last.
    const QString caption = firstCaption_.isEmpty() ? host_.Caption() : firstCaption_;
    QString state = host_.HerstelDir + caption + "0" + RecoveryExtension;
    if (!FileExists(NativePath(state))) state = NewestClosingState();
    if (state.isEmpty()) return;
    const QString name = QFileInfo(state).fileName();
    host_.Document().LoadNamed(state, name.chopped(std::min(ClosingSuffixLength, name.size())),
                               host_.DocDir, false);
}

void RecoveryStore::mterugClick() {
    int& nummer = host_.HerstelNummer;
    const QString next = HerstelFileName(nummer + 1);
    if (!FileExists(NativePath(next))) return;
    ++nummer;
    if (!host_.Document().Load(next)) --nummer; // cancelled
}

std::vector<PreviousSession> RecoveryStore::PreviousSessions() const {
    std::vector<PreviousSession> sessions;
    for (const std::string& folder : SessionFolder::List(NativePath(host_.HerstelDir))) {
        const QString session = DecodeFileName(folder);
        for (const QString& name : StatesIn(session)) {
            if (!name.startsWith(ClosingPrefix)) continue;
            const QString state = session + name;
            sessions.push_back({state, name.mid(ClosingPrefix.size()).chopped(4),
                                QFileInfo(state).lastModified(), FirstLineOf(state)});
        }
    }
    return sessions;
}

// Loads as "&Vorige" does: the present document is stored first, and the window takes the
// session's caption.
void RecoveryStore::VorigeSessiesClick() {
    const std::vector<PreviousSession> sessions = PreviousSessions();
    QStringList rows;
    for (const PreviousSession& s : sessions)
        rows << s.closed.toString("d-M-yyyy HH:mm") + "   " + s.caption + "   " + s.firstLine;
    const int chosen =
        chooseSession ? chooseSession(rows) : ChooseSession(host_.DialogParent(), rows);
    if (chosen < 0 || chosen >= int(sessions.size())) return;
    const PreviousSession& s = sessions[std::size_t(chosen)];
    host_.Document().LoadNamed(s.state, s.caption, host_.DocDir, true);
}

void RecoveryStore::ClearDir(const QString& folder, const QString& keep) {
    DeleteMatching(NativePath(folder), RecoveryExtension.toStdString(), NativePath(keep));
}

// The closing states go in first; only once they are safely stored do this run's numbered
// states go. A closing save that fails thus keeps every earlier state. Nothing another
// instance wrote is touched, running or not: other captions' closing states stay.
void RecoveryStore::FormClose() {
    host_.Document().Save(ClosingFileName());
    KeepClosingInSession();
    RemoveOwnStates();
}

// The session keeps its closing state, which the next session's closing may overwrite in the
// recovery folder, and the document it came from, to tell later whether that holds the work.
void RecoveryStore::KeepClosingInSession() {
    if (sessionName_.isEmpty()) return;
    const QString folder = StateFolder();
    host_.Document().Save(folder + ClosingPrefix + host_.Caption() + RecoveryExtension);
    const QString document = host_.Document().LastDocument;
    WriteFileAtomically(NativePath(folder + DocumentNote),
                        document.isEmpty() ? std::string()
                                           : NativePath(QFileInfo(document).absoluteFilePath()));
}

// Without a session folder this run's state 0 is the closing state itself: that one stays.
void RecoveryStore::RemoveOwnStates() {
    for (const QString& name : writtenStates_)
        if (name != ClosingFileName()) QFile::remove(name);
    writtenStates_.clear();
    lastStored_.clear();
}

// Sessions still running, and those whose crash state has not been offered yet, stay whatever
// their age. The newest KeptSessions closing states stay, and every state of the last KeptDays
// days: a closing state counts from when it was written, a session that left none (it crashed
// before its first crash state) from its start.
void RecoveryStore::PruneSessions(std::time_t now) {
    int closings = 0;
    for (const std::string& folder : SessionFolder::List(NativePath(host_.HerstelDir))) {
        if (SessionFolder::Held(folder)) continue;
        const QString session = DecodeFileName(folder);
        const QStringList states = StatesIn(session);
        if (std::any_of(states.begin(), states.end(), [](const QString& name) {
                return name.startsWith(QString(CrashStatePrefix));
            }))
            continue;
        const QString closing = ClosingStateIn(session);
        const std::time_t written = closing.isEmpty()
                                        ? SessionFolder::Started(folder)
                                        : QFileInfo(closing).lastModified().toSecsSinceEpoch();
        const bool recent = now - written <= KeptDays * SecondsPerDay;
        const bool newest = !closing.isEmpty() && closings < KeptSessions;
        if (!states.isEmpty() && (recent || newest)) {
            closings += !closing.isEmpty();
            continue;
        }
        SessionFolder::Remove(folder);
    }
}

// Only a session that closed cleanly left the note of its document; a crashed one is offered
// as such instead.
void RecoveryStore::AnnounceUnsavedWork(const std::function<void(const QString&)>& showMessage) {
    QString last;
    for (const std::string& folder : SessionFolder::List(NativePath(host_.HerstelDir)))
        if (!SessionFolder::Held(folder)) {
            last = DecodeFileName(folder);
            break;
        }
    if (last.isEmpty() || FileExists(NativePath(last + AnnouncedNote)) ||
        !FileExists(NativePath(last + DocumentNote)))
        return;
    const QString closing = ClosingStateIn(last);
    QString document;
    try {
        document = DecodeFileName(ReadWholeFile(NativePath(last + DocumentNote)));
    } catch (const std::exception&) {
        return;
    }
    if (closing.isEmpty() || !LeftUnsavedWork(closing, document)) return;
    // Made only where it is missing: of two instances started together one says it. A note
    // that cannot be made at all lets the sentence come again next time rather than never.
    QFile note(last + AnnouncedNote);
    if (!note.open(QIODevice::WriteOnly | QIODevice::NewOnly) && note.exists()) return;
    showMessage(UnsavedWork);
}

} // namespace zelm
