#include "files/SessionFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace zelm {

namespace {

// The file whose lock marks a session folder as held.
constexpr const char* LockFileName = ".sessie";
// yyyymmdd-hhmmss-
constexpr std::size_t StampLength = 16;
// Each further session of one process gets "-2", "-3", …; at most this many names are tried.
constexpr int MostFoldersPerSecond = 1000;

std::string SessionsFolder(const std::string& recoveryFolder) {
    std::string folder = recoveryFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + SessionsFolderName + "/";
}

std::string Stamp(std::time_t started) {
    std::tm local{};
    localtime_r(&started, &local);
    char text[StampLength + 1];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S-", &local);
    return text;
}

int OpenLock(const std::string& folder, int flags) {
    int fd;
    do
        fd = ::open((folder + LockFileName).c_str(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// An exclusive lock on the folder's lock file, or -1 while someone holds it (or it is missing).
int TryLockExclusive(const std::string& folder) {
    const int fd = OpenLock(folder, O_RDWR);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

} // namespace

SessionFolder::SessionFolder(const std::string& recoveryFolder, std::time_t started) {
    const std::string sessions = SessionsFolder(recoveryFolder);
    if (::mkdir(sessions.c_str(), 0777) != 0 && errno != EEXIST) return;
    const std::string pid = std::to_string(::getpid());
    // Made and locked under a name that is no session's, then put in place: no other instance
    // ever sees it unlocked and empty, and prunes it.
    const std::string making = sessions + ".nieuw-" + pid + "/";
    Abandon(making); // what an earlier process of this number left, killed right here
    if (::mkdir(making.c_str(), 0777) != 0) return;
    lockFd_ = OpenLock(making, O_RDWR | O_CREAT);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX) != 0) {
        Abandon(making);
        return;
    }
    // One process numbering on (tests make many sessions) never reuses the name of an earlier
    // session that was removed since: within one second the later name stays the newer one.
    const std::string base = sessions + Stamp(started) + pid;
    static int lastNumber = 0;
    for (int tries = 0; tries < MostFoldersPerSecond; ++tries) {
        const int n = ++lastNumber;
        const std::string folder = n == 1 ? base : base + "-" + std::to_string(n);
        if (::rename(making.c_str(), folder.c_str()) == 0) {
            path_ = folder + "/";
            return;
        }
        if (errno != EEXIST && errno != ENOTEMPTY) break;
    }
    Abandon(making);
}

void SessionFolder::Abandon(const std::string& making) {
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    ::unlink((making + LockFileName).c_str());
    ::rmdir(making.c_str());
}

SessionFolder::~SessionFolder() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

std::vector<std::string> SessionFolder::List(const std::string& recoveryFolder) {
    const std::string sessions = SessionsFolder(recoveryFolder);
    std::vector<std::string> folders;
    DIR* dir = ::opendir(sessions.c_str());
    if (dir == nullptr) return folders;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string path = sessions + entry->d_name + "/";
        struct stat st;
        if (Started(path) != 0 && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            folders.push_back(path);
    }
    ::closedir(dir);
    // The names begin with the start time, so the later name is the newer session; within one
    // second the order is the pid's and the counter's ("-10" after "-9": the longer name first),
    // which is as good as any.
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        const std::time_t ta = Started(a), tb = Started(b);
        if (ta != tb) return ta > tb;
        return a.size() != b.size() ? a.size() > b.size() : a > b;
    });
    return folders;
}

bool SessionFolder::Held(const std::string& path) {
    const std::string folder = WithSlash(path);
    struct stat st;
    if (::stat((folder + LockFileName).c_str(), &st) != 0) return false; // never held
    const int fd = TryLockExclusive(folder);
    if (fd < 0) return true;
    ::close(fd);
    return false;
}

bool SessionFolder::Remove(const std::string& path) {
    const std::string folder = WithSlash(path);
    // A folder without its lock file is being made this moment, or is none of ours.
    const int fd = TryLockExclusive(folder);
    if (fd < 0) return false;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") ::unlink((folder + name).c_str());
        }
        ::closedir(dir);
    }
    ::close(fd);
    return ::rmdir(folder.c_str()) == 0;
}

std::time_t SessionFolder::Started(const std::string& path) {
    std::string name = path;
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    name = name.substr(name.find_last_of('/') + 1);
    std::tm local{};
    int pid = 0;
    if (name.size() <= StampLength ||
        std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d-%d", &local.tm_year, &local.tm_mon,
                    &local.tm_mday, &local.tm_hour, &local.tm_min, &local.tm_sec, &pid) != 7)
        return 0;
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;
    const std::time_t started = std::mktime(&local);
    return started < 0 ? 0 : started;
}

} // namespace zelm
