// Each running instance keeps what it stores for recovery in a folder of its own below the
// recovery folder, "Sessies/<yyyymmdd>-<hhmmss>-<pid>/", locked for as long as the instance
// lives. Another instance can thus tell a session that still runs from one that ended, cleanly
// or not, and never writes into it or removes it.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace zelm {

/// The folder below the recovery folder that holds one folder per session.
inline constexpr const char* SessionsFolderName = "Sessies";
/// A session folder's closing state is this prefix + caption + ".wes": the state a clean close
/// left, or a crash state once it was offered.
inline constexpr const char* ClosingStatePrefix = "Afsluiting-";
/// A session folder's crash state, stored while the session runs: this prefix + caption + ".wes".
inline constexpr const char* CrashStatePrefix = "Noodkopie-";

class SessionFolder {
public:
    /// Makes a new session folder below `recoveryFolder` and holds it. Path() is empty when
    /// none could be made (a folder we may not write to).
    explicit SessionFolder(const std::string& recoveryFolder,
                           std::time_t started = std::time(nullptr));
    SessionFolder(const SessionFolder&) = delete;
    SessionFolder& operator=(const SessionFolder&) = delete;
    /// Gives the folder up; it stays, with whatever the session left in it.
    ~SessionFolder();

    /// The folder, ending in '/'; empty when none could be made.
    const std::string& Path() const { return path_; }

    /// The session folders below `recoveryFolder` (each ending in '/'), the newest first.
    static std::vector<std::string> List(const std::string& recoveryFolder);
    /// True while a running instance (this one too) holds the session folder at `path`.
    static bool Held(const std::string& path);
    /// Removes the session folder at `path` with its files, unless an instance holds it.
    /// False when it stays.
    static bool Remove(const std::string& path);
    /// When the session of the folder at `path` started, read from its name; 0 for a folder
    /// whose name is not a session's.
    static std::time_t Started(const std::string& path);

private:
    /// Gives up a folder that could not be put in place.
    void Abandon(const std::string& making);

    std::string path_;
    int lockFd_ = -1;
};

} // namespace zelm
