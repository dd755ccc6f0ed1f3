// Whole-file reading and atomic writing of the program's binary files, and the few folder
// services of the recovery store. Failures throw ZelmError with the I/O message the user sees.
// Paths are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace zelm {

/// The user's message for a system error number: "File not found", "Invalid filename", "Too
/// many open files", "File access denied", "Disk full", or "I/O error <number>".
std::string IoErrorMessage(int error);

/// The message of a read that ended before the file's end.
inline constexpr const char* ReadBeyondEndMessage = "Read beyond end of file";

/// All bytes of the file at `path`.
std::string ReadWholeFile(const std::string& path);

/// Replaces the file at `path` by `bytes`: a temporary file in the same folder is written and
/// synced, renamed over the target, and the folder is synced. On failure the temporary file is
/// removed and the target is left as it was. Only a failure to sync the folder comes after the
/// rename: it is reported, though the new content is already in place.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

/// Names (without folder) of the entries of `folder` that are not folders and end in `suffix`,
/// sorted by name; none when the folder cannot be read.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& suffix);

/// Deletes every file of `folder` ending in `suffix`; a file that cannot be deleted is skipped.
void DeleteMatching(const std::string& folder, const std::string& suffix);

/// True when `path` names an existing entry that is not a folder.
bool FileExists(const std::string& path);

} // namespace zelm
