#include "settings/paths.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/settings_backend.h"
#include "settings/settings_store.h"

namespace zul {

namespace {
namespace fs = std::filesystem;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

fs::path homeFolder() {
    const std::string home = env("HOME");
    return home.empty() ? fs::temp_directory_path() : fs::path(home);
}

// A per-user folder: $override, else $xdgVariable/zulmarin, else ~/fallback/zulmarin.
fs::path userFolder(const char* override, const char* xdgVariable, const char* fallback) {
    if (const std::string o = env(override); !o.empty()) return o;
    if (const std::string x = env(xdgVariable); !x.empty() && fs::path(x).is_absolute()) return fs::path(x) / "zulmarin";
    return homeFolder() / fallback / "zulmarin";
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_directory(p, ec);
}

fs::path created(const fs::path& p) {
    std::error_code ec;
    fs::create_directories(p, ec);
    return p;
}
} // namespace

fs::path configFolder() { return userFolder("ZULMARIN_CONFIG_DIR", "XDG_CONFIG_HOME", ".config"); }

fs::path executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path programFolder(const SettingsBackend& settings) {
    if (const std::string home = env("ZULMARIN_HOME"); !home.empty()) return created(home);
    if (const auto stored = settings.read("Database16", "CurrentExePath"); stored && isFolder(*stored))
        return *stored;
    if (const fs::path exe = executableFolder(); isFolder(exe) && ::access(exe.c_str(), W_OK) == 0) return exe;
    return created(userFolder("", "XDG_DATA_HOME", ".local/share"));
}

fs::path shippedFile(const std::string& name) {
    const IniSettingsStore settings(configFolder() / "settings.ini");
    const fs::path inProgramFolder = programFolder(settings) / name;
    std::error_code ec;
    if (fs::exists(inProgramFolder, ec)) return inProgramFolder;
    return executableFolder() / name;
}

} // namespace zul
