#include "cli/port_choice.h"

#include <filesystem>
#include <ostream>

#include "platform/system_clock.h"
#include "settings/error_log.h"
#include "settings/paths.h"
#include "settings/record_store.h"
#include "x10/port_link.h"

namespace zul::cli {

std::optional<std::string> ReadOnlySettings::read(const SettingKey& key) const {
    if (auto v = local_.read(key)) return v;
    return base_.read(key);
}

UserSettings::UserSettings(Io& io) : file(configFolder() / "settings.ini") {
    if (file.readProblem().empty()) return;
    const SystemClock clock;
    ErrorLog log(programFolder(settings), clock);
    reportSettingsProblem(settings, io.err, log);
}

bool ReadOnlySettings::write(const SettingKey& key, const std::string& value) { return local_.write(key, value); }

std::optional<PortOptions> parsePortOptions(const Args& args, std::string& error) {
    PortOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port") {
            if (i + 1 >= args.size()) {
                error = "--port needs a value";
                return std::nullopt;
            }
            o.port = args[++i];
        } else if (a.rfind("--port=", 0) == 0) {
            o.port = a.substr(7);
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

std::string storedPort(SettingsBackend& settings, std::string& problem) {
    const std::filesystem::path file = recordStorePath(settings, programFolder(settings));
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && !std::filesystem::is_symlink(file, ec)) return "";
    RecordStore records;
    if (!records.open(file, false)) {
        problem = recordStoreProblemText(records);
        return "";
    }
    return x10::RecordPortStore(records).load();
}

std::optional<std::string> choosePort(const std::optional<std::string>& option, SettingsBackend& settings, Io& io,
                                      int& exitCode) {
    std::string error;
    if (option) {
        auto port = x10::checkPortText(*option, error);
        if (!port) exitCode = badInput(io, "--port '" + *option + "': " + error);
        return port;
    }
    const std::string stored = storedPort(settings, error);
    exitCode = 1;
    if (!error.empty()) {
        say(io, error);
        return std::nullopt;
    }
    if (!x10::portIsSet(stored)) {
        say(io, "no port is set up; choose one in Port Setup or give --port");
        return std::nullopt;
    }
    auto port = x10::checkPortText(stored, error);
    if (!port) say(io, "the stored port '" + stored + "' is not usable; " + error);
    return port;
}

} // namespace zul::cli
