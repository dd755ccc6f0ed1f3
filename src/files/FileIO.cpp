#include "files/FileIO.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formula/Errors.h"

namespace zelm {

namespace {

// Every temporary file of a save starts with this; mkstemp adds six characters.
const std::string TemporaryPrefix = ".zelm-save-";
constexpr std::size_t TemporaryRandomLength = 6;

// Held by every running instance (shared) in the folders it writes to.
const std::string ClaimFileName = ".zelm-in-use";

std::function<int(const std::string&)>& WriteFault() {
    static std::function<int(const std::string&)> fault;
    return fault;
}

[[noreturn]] void ThrowIoError(int error) {
    throw ZelmError(IoErrorMessage(error));
}

/// Closes a descriptor when it goes out of scope; `Close` reports the error of a closing.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    /// Closes now; the error number of a failed close, 0 when it succeeded.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        // Linux releases the descriptor even when close fails, so it is never retried.
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int OpenRetrying(const char* path, int flags) {
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Saving through a symbolic link replaces the file it points to, not the link itself.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string target = resolved;
    ::free(resolved);
    return target;
}

// The permissions a newly created file would get: an existing target keeps its own.
mode_t ModeForTarget(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The error number of the first failing write, 0 when all bytes went out.
int WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC; // no progress: the device takes no more
        done += std::size_t(n);
    }
    return 0;
}

int SyncRetrying(int fd) {
    int result;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// Makes the rename itself durable. File systems that cannot sync a folder say EINVAL; the
// rename has happened there all the same, so that is not a failure of the save.
int SyncFolder(const std::string& folder) {
    FileDescriptor dir(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir.Get() < 0) return errno;
    const int error = SyncRetrying(dir.Get());
    return error == EINVAL ? 0 : error;
}

// Fills the new file `fd` with what `produce` hands out, syncs and closes it; the error number,
// 0 on success. An exception from `produce` passes through.
int FillTemporary(FileDescriptor& fd, const std::function<void(const ByteSink&)>& produce,
                  mode_t mode) {
    if (::fchmod(fd.Get(), mode) != 0) return errno;
    int error = 0;
    produce([&](std::string_view piece) {
        if (error == 0) error = WriteAll(fd.Get(), piece);
        if (error != 0) ThrowIoError(error); // no use in producing the rest
    });
    if (error != 0) return error; // a producer that went on after a failed write
    if (int syncError = SyncRetrying(fd.Get())) return syncError;
    return fd.Close();
}

// Only a regular file or a missing name is replaced: renaming over a device, a pipe or a
// socket would put a file in the place of something that is not ours. The error number of
// the refusal, 0 when the write may go on (other trouble shows when the file is made).
int RefusedTarget(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : EACCES;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// True when `path` still names the file open as `fd`.
bool StillNamed(int fd, const std::string& path) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// A save holds a lock on its temporary file for as long as the file lives, so that a sweep
// can tell a file being written from one that a killed save left behind (a lock goes with its
// process). A sweep that took the new file in the moment before it was locked leaves the save
// a file without a name: it makes another. -1 with errno when none can be made.
int MakeLockedTemporary(const std::string& folder, std::string& temporary) {
    for (;;) {
        temporary = folder + "/" + TemporaryPrefix + "XXXXXX";
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        int locked;
        do
            locked = ::flock(fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        // Where the file system has no locks, no sweep can take the file either.
        if (locked != 0 || StillNamed(fd, temporary)) return fd;
        ::close(fd);
    }
}

// Removes the temporary file at `path` unless a save holds it.
void RemoveIfAbandoned(const std::string& path) {
    FileDescriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat st;
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return; // being written
    if (StillNamed(fd.Get(), path)) ::unlink(path.c_str());
}

} // namespace

std::string IoErrorMessage(int error) {
    switch (error) {
    case ENOENT:
        return "File not found";
    case ENAMETOOLONG:
    case EINVAL:
    case ENOTDIR:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(error);
    }
}

// Opens without blocking (a pipe with no writer would wait for ever) and accepts regular
// files only: a device or a pipe never ends, and a folder is not a document.
int OpenRegularFile(const std::string& path, struct stat& st) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (error == 0) return fd;
    ::close(fd);
    errno = error;
    return -1;
}

std::string ReadWholeFile(const std::string& path, std::size_t limit, const std::string& tooLarge) {
    struct stat st;
    FileDescriptor fd(OpenRegularFile(path, st));
    if (fd.Get() < 0) ThrowIoError(errno);
    if (std::uintmax_t(st.st_size) > limit) throw ZelmError(tooLarge);

    std::string bytes;
    bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowIoError(errno);
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + std::size_t(n) > limit) throw ZelmError(tooLarge);
        bytes.append(buffer, std::size_t(n));
    }
    // A file that ends before its recorded size was cut short while being read.
    if (bytes.size() < std::size_t(st.st_size)) throw ZelmError(ReadBeyondEndMessage);
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    WriteFileAtomically(path, [&](const ByteSink& write) { write(bytes); });
}

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink& write)>& produce) {
    const std::string target = ResolveLink(path);
    const std::string folder = FolderOf(target);
    if (int error = RefusedTarget(target)) ThrowIoError(error);
    // A short fixed name: one built from a long target name could pass the longest name allowed.
    std::string temporary;
    FileDescriptor fd(MakeLockedTemporary(folder, temporary));
    if (fd.Get() < 0) ThrowIoError(errno);
    // The lock belongs to the open file, which this keeps open once the written descriptor is
    // closed, until the file has its name.
    const FileDescriptor keepLocked(::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 0));

    int error;
    try {
        error = FillTemporary(fd, produce, ModeForTarget(target));
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (error == 0 && WriteFault()) error = WriteFault()(target);
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        ThrowIoError(error);
    }
    if (int syncError = SyncFolder(folder)) ThrowIoError(syncError);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !name.ends_with(suffix)) continue;
        if (IsFolder(folder + "/" + name)) continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void DeleteMatching(const std::string& folder, const std::string& suffix, const std::string& keep) {
    for (const std::string& name : ListFiles(folder, suffix))
        if (name != keep) ::unlink((folder + "/" + name).c_str()); // one that will not go stays
}

void RemoveStaleTemporaries(const std::string& folder) {
    for (const std::string& name : ListFiles(folder, ""))
        if (IsSaveTemporaryName(name)) RemoveIfAbandoned(folder + "/" + name);
}

bool IsSaveTemporaryName(const std::string& name) {
    if (name.size() != TemporaryPrefix.size() + TemporaryRandomLength) return false;
    if (!name.starts_with(TemporaryPrefix)) return false;
    return std::all_of(name.begin() + long(TemporaryPrefix.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

FolderClaim::FolderClaim(const std::string& folder) {
    const std::string path = folder + "/" + ClaimFileName;
    do
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return; // a folder we cannot write to holds no temporary files of ours
    // Exclusive only when no other instance holds the folder; then nothing is being saved.
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        RemoveStaleTemporaries(folder);
        cleared_ = true;
    }
    Share();
}

// Shared from here on; another instance starting now waits the moment this takes.
void FolderClaim::Share() {
    while (::flock(fd_, LOCK_SH) != 0 && errno == EINTR) {
    }
}

FolderClaim::~FolderClaim() {
    if (fd_ >= 0) ::close(fd_);
}

void SetWriteFault(std::function<int(const std::string& target)> fault) {
    WriteFault() = std::move(fault);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace zelm

namespace zelm {

std::string ReadFilePrefix(const std::string& path, std::size_t count) {
    struct stat st;
    FileDescriptor fd(OpenRegularFile(path, st));
    if (fd.Get() < 0) ThrowIoError(errno);
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowIoError(errno);
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace zelm
