#include "settings/error_log.h"

#include "platform/clock.h"
#include "platform/text.h"
#include "settings/cipher.h"

namespace zul {

namespace {
constexpr const char* LoggedPrefix = "Logged:  ";
}

std::string errorMessage(const std::string& procedure, const std::string& window, long number,
                         const std::string& description) {
    return "Error " + std::to_string(number) + " (" + description + "), " + procedure + " on " + window;
}

ErrorLog::ErrorLog(const std::filesystem::path& programFolder, const Clock& clock)
    : file_(programFolder / "error.log"), clock_(clock) {}

std::error_code ErrorLog::writeErrorLog(const std::string& message) {
    const std::string entry =
        "\r\n" + std::string(LoggedPrefix) + clock_.now().isoText() + "\r\n\t" + cipherText(false, message) + "\r\n";
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file_, ec);
    if (!ec && size + entry.size() > Limit.maxBytes) return dropOldestEntriesFor(entry);
    // The whole entry goes out in one write, so entries never interleave.
    return appendToFile(file_, entry);
}

std::error_code ErrorLog::dropOldestEntriesFor(const std::string& entry) {
    const FileRead tail = readFileTail(file_, KeepBytes);
    if (!tail.ok()) return tail.error;
    // The kept part starts with an entry's empty line, before its "Logged:" line.
    const std::size_t next = tail.bytes.find(std::string("\n\r\n") + LoggedPrefix);
    const std::string kept = next == std::string::npos ? "" : tail.bytes.substr(next + 1);
    return writeFileAtomically(file_, kept + entry);
}

std::error_code ErrorLog::logError(const std::string& procedure, const std::string& window, long number,
                                   const std::string& description) {
    return writeErrorLog(errorMessage(procedure, window, number, description));
}

std::error_code ErrorLog::logError(const std::string& procedure, const std::string& window, std::error_code error) {
    return logError(procedure, window, error.value(), error.message());
}

std::error_code ErrorLog::logErrorOnce(const std::string& procedure, const std::string& window, long number,
                                       const std::string& description) {
    const std::string message = errorMessage(procedure, window, number, description);
    const ErrorLogContents log = readErrorLog(file_);
    if (!log.entries.empty() && log.entries.back().message == message) return {};
    return writeErrorLog(message);
}

std::vector<ErrorLogEntry> parseErrorLog(std::string_view bytes) {
    std::vector<ErrorLogEntry> entries;
    LineCursor lines(bytes);
    std::string_view logged; // the last "Logged:" line, waiting for its message
    for (std::string_view line; lines.next(line);) {
        if (!logged.empty() && line.starts_with('\t')) {
            entries.push_back({std::string(logged.substr(std::string_view(LoggedPrefix).size())),
                               cipherText(true, std::string(line.substr(1)))});
            logged = {};
            continue;
        }
        logged = line.starts_with(LoggedPrefix) ? line : std::string_view();
    }
    return entries;
}

ErrorLogContents readErrorLog(const std::filesystem::path& file) {
    ErrorLogContents contents;
    const FileRead read = readDataFile(file, ErrorLog::Limit);
    if (!read.ok()) {
        contents.problem = read.problem;
        return contents;
    }
    contents.entries = parseErrorLog(read.bytes);
    if (contents.entries.empty() && read.bytes.find_first_not_of(" \t\r\n") != std::string::npos)
        contents.problem = "it holds no error log entries";
    return contents;
}

} // namespace zul
