#include "settings/error_log.h"

#include <cerrno>
#include <fstream>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"

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

std::error_code ErrorLog::WriteErrorLog(const std::string& message) {
    const std::string entry =
        "\r\n" + std::string(LoggedPrefix) + clock_.now().isoText() + "\r\n\t" + CipherText(false, message) + "\r\n";
    // The whole entry goes out in one write, so entries never interleave.
    errno = 0;
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    if (!out) return errno ? std::error_code(errno, std::generic_category()) : std::make_error_code(std::errc::io_error);
    out.write(entry.data(), static_cast<std::streamsize>(entry.size()));
    out.close();
    if (!out) return std::make_error_code(std::errc::io_error);
    return {};
}

std::error_code ErrorLog::LogError(const std::string& procedure, const std::string& window, long number,
                                   const std::string& description) {
    return WriteErrorLog(errorMessage(procedure, window, number, description));
}

std::error_code ErrorLog::LogError(const std::string& procedure, const std::string& window, std::error_code error) {
    return LogError(procedure, window, error.value(), error.message());
}

std::error_code ErrorLog::LogErrorOnce(const std::string& procedure, const std::string& window, long number,
                                       const std::string& description) {
    const std::string message = errorMessage(procedure, window, number, description);
    const auto entries = readErrorLog(file_);
    if (entries && !entries->empty() && entries->back().message == message) return {};
    return WriteErrorLog(message);
}

std::optional<std::vector<ErrorLogEntry>> readErrorLog(const std::filesystem::path& file) {
    std::string bytes;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || !readWholeFile(file, bytes)) return std::nullopt;
    const std::vector<std::string> lines = splitLines(bytes);
    std::vector<ErrorLogEntry> entries;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].starts_with(LoggedPrefix) || !lines[i + 1].starts_with('\t')) continue;
        entries.push_back({lines[i].substr(std::string(LoggedPrefix).size()), CipherText(true, lines[i + 1].substr(1))});
        ++i;
    }
    return entries;
}

} // namespace zul
