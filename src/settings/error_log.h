#pragma once
// error.log in the program folder: one three-line entry per reported error
// (an empty line, "Logged:  " and the time, a tab and the enciphered
// message), CR LF line ends, so the file is not readable in a text editor.
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"

namespace zul {

class Clock;

// "Error " + number + " (" + description + "), " + procedure + " on " + window
std::string errorMessage(const std::string& procedure, const std::string& window, long number,
                         const std::string& description);

class ErrorLog {
public:
    static constexpr FileLimit Limit{16 * 1024 * 1024, "each error adds a few hundred bytes to the error log"};
    // An entry that would take the file past Limit first cuts it back to its
    // newest entries within this many bytes, so its reader always takes it.
    static constexpr std::uintmax_t KeepBytes = Limit.maxBytes / 4 * 3;

    ErrorLog(const std::filesystem::path& programFolder, const Clock& clock);
    const std::filesystem::path& file() const { return file_; }

    // Enciphers message and appends the entry. The returned error (when the
    // file cannot be written the entry is lost) is for the caller to ignore
    // or show; nothing is thrown.
    std::error_code writeErrorLog(const std::string& message);
    std::error_code logError(const std::string& procedure, const std::string& window, long number,
                             const std::string& description);
    std::error_code logError(const std::string& procedure, const std::string& window, std::error_code error);
    // logError, unless the log's last entry says the same already: a note
    // that every start of the program would repeat is kept once.
    std::error_code logErrorOnce(const std::string& procedure, const std::string& window, long number,
                                 const std::string& description);

private:
    std::error_code dropOldestEntriesFor(const std::string& entry);

    std::filesystem::path file_;
    const Clock& clock_;
};

struct ErrorLogEntry {
    std::string logged;  // the date and time as written
    std::string message; // deciphered
};

// The entries of an error log's bytes in file order; lines that do not form
// an entry are skipped.
std::vector<ErrorLogEntry> parseErrorLog(std::string_view bytes);

struct ErrorLogContents {
    std::vector<ErrorLogEntry> entries;
    // "" when read; else why not: the file's problem, or "it holds no error log
    // entries" for a file with text but not one entry.
    std::string problem;
};
ErrorLogContents readErrorLog(const std::filesystem::path& file);

} // namespace zul
