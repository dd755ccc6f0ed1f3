// The recovery store: numbered states of the document, written before every split and join
// into this run's own session folder and walked through with "&Vorige" and "&Terug"; the state
// left by closing for the next run; and the closing states of earlier sessions.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <ctime>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace zelm {

class DocumentHost;
class FolderClaim;
class SessionFolder;

/// The closing state of an earlier session, as "Vorige sessies…" lists it.
struct PreviousSession {
    QString state; ///< the closing state's path
    QString caption;
    QDateTime closed;
    QString firstLine; ///< the first line's text, without its code characters
};

class RecoveryStore {
public:
    explicit RecoveryStore(DocumentHost& host);
    ~RecoveryStore();

    /// Finds or makes the recovery folder (HerstelDir) for a program in `programDir`; a folder
    /// it made is announced through `showMessage`.
    void MakeRecoveryFolder(const QString& programDir,
                            const std::function<void(const QString&)>& showMessage);
    /// Keeps the recovery folder marked as in use while the window lives; the first instance
    /// clears the temporaries of saves killed halfway. Makes this run's session folder.
    void ClaimFolder();
    /// This run's own folder in the recovery folder (ending in '/'), held while the window
    /// lives; empty before `ClaimFolder` or when none could be made.
    QString SessionPath() const;
    /// Removes the folders of ended sessions that are no longer kept: those without any state,
    /// and those older than `KeptDays` days beyond the newest `KeptSessions` closing states.
    void PruneSessions(std::time_t now = std::time(nullptr));
    /// Says once, through `showMessage`, when the last ended session left work that no
    /// document holds.
    void AnnounceUnsavedWork(const std::function<void(const QString&)>& showMessage);

    /// The name of this run's recovery state `n`: its session folder + caption + n + ".wes".
    QString HerstelFileName(int n) const;
    /// The state closing leaves for the next run: HerstelDir + caption + "0.wes".
    QString ClosingFileName() const;
    /// Stores the document as the next recovery state (before a split or join).
    void SaveHerstel();
    /// "&Vorige": one recovery state back, or the state left by the last closing.
    void Herstel1Click();
    /// "&Terug": one recovery state forward, when it exists.
    void mterugClick();
    /// "Vorige sessies…": lists the earlier sessions' closing states and loads the chosen one.
    void VorigeSessiesClick();
    /// The earlier sessions' closing states, the newest session first.
    std::vector<PreviousSession> PreviousSessions() const;
    /// After a load that failed and gave the window its old caption back: the state stored
    /// just before it takes that caption's name, where the next "&Vorige" looks.
    void FollowCaptionBack();
    /// Deletes every "*.wes" file of `folder` but the one named `keep`; what cannot be deleted
    /// stays, silently.
    static void ClearDir(const QString& folder, const QString& keep = {});
    /// The file steps of closing: store the document as the closing states, then remove the
    /// numbered states this run wrote (a failed store keeps them all).
    void FormClose();

    /// The dialog of "Vorige sessies…": given one row per session, the chosen row or -1.
    /// Tests replace it.
    std::function<int(const QStringList& rows)> chooseSession;

    static constexpr int KeptSessions = 20;
    static constexpr int KeptDays = 30;

private:
    QString StateFolder() const;
    QString NewestClosingState() const;
    void KeepClosingInSession();
    void RemoveOwnStates();

    DocumentHost& host_;
    std::unique_ptr<FolderClaim> herstelClaim_;
    std::unique_ptr<SessionFolder> session_;
    /// The session folder's name below HerstelDir + "Sessies/"; empty without one.
    QString sessionName_;
    /// The recovery states this run wrote: all that closing removes.
    std::set<QString> writtenStates_;
    QString lastStored_;
    /// The caption of this run's first state: stepping back past it ends at that caption's
    /// closing state of the previous session.
    QString firstCaption_;
};

} // namespace zelm
