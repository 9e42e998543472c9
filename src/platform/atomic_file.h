#pragma once
// Every data file the program writes goes through here: the bytes go to a
// temporary file beside the target, which is then renamed over it, so a crash
// never leaves a half-written file.
#include <filesystem>
#include <string>
#include <system_error>

namespace zul {

// Writes bytes exactly as given. On failure the old file is untouched and the
// error says why.
std::error_code writeFileAtomically(const std::filesystem::path& file, const std::string& bytes);

// Appends bytes (read, add, rewrite atomically). Meant for small files.
std::error_code appendFileAtomically(const std::filesystem::path& file, const std::string& bytes);

// Reads a whole file as bytes; false when it cannot be read or is no regular file.
bool readWholeFile(const std::filesystem::path& file, std::string& bytes);

} // namespace zul
