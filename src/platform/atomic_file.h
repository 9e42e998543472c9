#pragma once
// Every data file the program writes or reads goes through here.
//
// Writing: the bytes go to a new temporary file in the target's folder,
// created exclusively under an unpredictable name (never through a link or a
// file someone else put there), flushed to disk, renamed over the target, and
// the folder flushed too; a crash or a power loss leaves the old file or the
// new one, never half of one. The target keeps its permission bits (and its
// owner where the system allows); a symbolic link is written through to the
// file it names and stays a link. A target the user may not write, or one
// that is not a regular file, is refused.
//
// Reading: only regular files, checked before they are opened (a folder, a
// named pipe or a device is never opened), and only up to a size limit per
// kind of file, so no reader hangs or fills memory on a file that is not ours.
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace zul {

// The refusals of the file helpers that are not system errors.
enum class FileError { NotRegularFile = 1, TooLarge };
const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError e);

// The most a kind of file may hold, and why no real one is bigger.
struct FileLimit {
    std::uintmax_t maxBytes;
    const char* reason; // e.g. "a macro file is at most a few thousand rows"
};

struct FileRead {
    std::string bytes;
    std::error_code error; // none when read
    std::string problem;   // why it was not read, e.g. "Permission denied", "it is a folder",
                           // "it is larger than 1 MB; a macro file is at most a few thousand rows"
    bool ok() const { return !error; }
    bool missing() const { return error == std::errc::no_such_file_or_directory; }
};

// What a file looked like on disk, to tell whether it changed (a rewrite
// renames a new file over it: another inode; a chmod changes only the
// change time).
struct FileStamp {
    bool exists = false;
    std::int64_t modifiedNanos = 0, changedNanos = 0;
    std::uint64_t size = 0, inode = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp stampOf(const std::filesystem::path& file);

// Reads a whole regular file of at most limit.maxBytes.
FileRead readDataFile(const std::filesystem::path& file, const FileLimit& limit);

// Reads the last maxBytes bytes of a regular file (all of a smaller one), for
// logs that may have outgrown their readers.
FileRead readFileTail(const std::filesystem::path& file, std::uintmax_t maxBytes);

// Writes bytes exactly as given. On failure the old file is untouched and the
// error says why.
std::error_code writeFileAtomically(const std::filesystem::path& file, const std::string& bytes);
// The same for a kind of file with a size limit: bytes its own reader would
// refuse are not written (FileError::TooLarge), the old file stays.
std::error_code writeFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                                    const FileLimit& limit);

// Why writeFileAtomically would refuse file now: it is not a regular file,
// the user may not write it, or no file can be made in its folder; none when
// it can be written.
std::error_code writableProblem(const std::filesystem::path& file);

// Adds bytes to the end of a file of at most limit (read, add, rewrite
// atomically); refused when the result would be larger than limit.
std::error_code appendFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                                     const FileLimit& limit);

// Adds bytes to the end of a regular file (created when missing) in one
// write, for logs that only ever grow at the end.
std::error_code appendToFile(const std::filesystem::path& file, const std::string& bytes);

// Removes what saves cut short (a crash, kill -9) left in folder: this user's
// files named as writeFileAtomically names its temporary files, for a target
// ending in one of extensions (".log"), and not changed for minAgeSeconds.
// Returns the files removed.
std::vector<std::filesystem::path> removeStaleTemporaries(const std::filesystem::path& folder,
                                                          const std::vector<std::string>& extensions,
                                                          int minAgeSeconds);

// "1 MB", "64 KB" or "300 bytes".
std::string sizeText(std::uintmax_t bytes);

} // namespace zul

template <>
struct std::is_error_code_enum<zul::FileError> : std::true_type {};
