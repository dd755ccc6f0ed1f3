// Whole-file reading and atomic writing of the program's binary files, and the few folder
// services of the recovery store. Failures throw ZelmError with the I/O message the user sees.
// Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formula/Types.h"

namespace zelm {

/// The user's message for a system error number: "File not found", "Invalid filename", "Too
/// many open files", "File access denied", "Disk full", or "I/O error <number>".
std::string IoErrorMessage(int error);

/// The message of a read that ended before the file's end.
inline constexpr const char* ReadBeyondEndMessage = "Read beyond end of file";

/// All bytes of the regular file at `path`. Anything else (a folder, a pipe, a device) is
/// refused with "File access denied" without blocking; a file of more than `limit` bytes is
/// refused with `tooLarge` before its bytes are read.
std::string ReadWholeFile(const std::string& path, std::size_t limit = SIZE_MAX,
                          const std::string& tooLarge = "File too large");

/// Replaces the file at `path` by `bytes`: a temporary file in the same folder is written and
/// synced, renamed over the target, and the folder is synced. On failure the temporary file is
/// removed and the target is left as it was. Only a failure to sync the folder comes after the
/// rename: it is reported, though the new content is already in place. Only a regular file or a
/// missing name is replaced; anything else at `path` (a device, a pipe, a socket) is refused
/// with "File access denied".
void WriteFileAtomically(const std::string& path, const std::string& bytes);

/// WriteFileAtomically for a file too large to hold whole: `produce` hands the bytes to
/// `write` piece by piece. A failing write throws from `write`; whatever `produce` throws
/// leaves the target as it was.
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink& write)>& produce);

/// Names (without folder) of the entries of `folder` that are not folders and end in `suffix`,
/// sorted by name; none when the folder cannot be read.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& suffix);

/// Deletes every file of `folder` ending in `suffix` except `keep`; a file that cannot be
/// deleted is skipped.
void DeleteMatching(const std::string& folder, const std::string& suffix,
                    const std::string& keep = {});

/// Removes the temporary files that saves killed halfway left in `folder`; one that a running
/// save holds (every save locks its temporary file) stays.
void RemoveStaleTemporaries(const std::string& folder);

/// The name of a temporary file that WriteFileAtomically makes: ".zelm-save-" and six
/// characters of mkstemp's alphabet.
bool IsSaveTemporaryName(const std::string& name);

/// Holds `folder` in use for as long as it lives (a shared lock on a file there). When no
/// other process holds the folder, the temporary files that interrupted saves left in it are
/// removed first: nobody can be writing them.
class FolderClaim {
public:
    explicit FolderClaim(const std::string& folder);
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;
    ~FolderClaim();
    /// True when this claim found the folder free and cleared it of stale temporary files.
    bool Cleared() const { return cleared_; }

private:
    void Share();
    int fd_ = -1;
    bool cleared_ = false;
};

/// For tests of failing writes: called by every atomic write once the temporary file is
/// written, with the target; a non-zero error number fails the write there. Empty: none.
void SetWriteFault(std::function<int(const std::string& target)> fault);

/// True when `path` names an existing entry that is not a folder.
bool FileExists(const std::string& path);

/// At most the first `count` bytes of the regular file at `path`, refusing what ReadWholeFile
/// refuses; fewer when the file is shorter. The rest of the file is never read.
std::string ReadFilePrefix(const std::string& path, std::size_t count);

} // namespace zelm
