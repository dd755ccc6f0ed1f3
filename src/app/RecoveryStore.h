// The recovery store: numbered states of the document in the recovery folder, written before
// every split and join, walked through with "&Vorige" and "&Terug", and the state left by
// closing for the next run.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <set>

namespace zelm {

class TBasisMath;
class FolderClaim;
class SessionFolder;

class RecoveryStore {
public:
    explicit RecoveryStore(TBasisMath& window);
    ~RecoveryStore();

    /// Finds or makes the recovery folder (HerstelDir) for a program in `programDir`; a folder
    /// it made is announced through `showMessage`.
    void MakeRecoveryFolder(const QString& programDir,
                            const std::function<void(const QString&)>& showMessage);
    /// The first number of this run's recovery states.
    void StartCounter();
    /// Keeps the recovery folder marked as in use while the window lives; the first instance
    /// clears the temporaries of saves killed halfway.
    void ClaimFolder();
    /// This run's own folder in the recovery folder (ending in '/'), held while the window
    /// lives; empty before `ClaimFolder` or when none could be made.
    QString SessionPath() const;

    /// The name of recovery state `n`: HerstelDir + caption + n + ".wes".
    QString HerstelFileName(int n) const;
    /// Stores the document as the next recovery state (before a split or join).
    void SaveHerstel();
    /// "&Vorige": one recovery state back, or the state left by the last closing.
    void Herstel1Click();
    /// "&Terug": one recovery state forward, when it exists.
    void mterugClick();
    /// Deletes every "*.wes" file of `folder` but the one named `keep`; what cannot be deleted
    /// stays, silently.
    static void ClearDir(const QString& folder, const QString& keep = {});
    /// The file steps of closing: store the document as state 0, then clear the other states
    /// (a failed store keeps them all).
    void FormClose();

private:
    TBasisMath& window_;
    std::unique_ptr<FolderClaim> herstelClaim_;
    std::unique_ptr<SessionFolder> session_;
    /// The recovery files this window wrote: all that closing may remove while another
    /// instance holds the folder.
    std::set<QString> writtenStates_;
};

} // namespace zelm
