#include "settings/paths.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

#include "platform/package_programs.h"
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
    if (const std::string x = env(xdgVariable); !x.empty() && fs::path(x).is_absolute())
        return fs::path(x) / "zulmarin";
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

fs::path executableFolder() { return zulmarinProgram().parent_path(); }

fs::path programFolder(const SettingsBackend& settings) {
    if (const std::string home = env("ZULMARIN_HOME"); !home.empty()) return created(home);
    if (const auto stored = settings.read(Setting::CurrentExePath); stored && isFolder(*stored)) return *stored;
    // An installed program (one in a bin folder) never writes beside itself,
    // even where it could (as root).
    if (const fs::path exe = executableFolder();
        isFolder(exe) && ::access(exe.c_str(), W_OK) == 0 && exe.filename() != "bin")
        return exe;
    return created(userFolder("", "XDG_DATA_HOME", ".local/share"));
}

fs::path installedDataFolder(const fs::path& exeFolder) {
    if (exeFolder.filename() != "bin") return {};
    const fs::path data = exeFolder.parent_path() / "share" / "zulmarin";
    return isFolder(data) ? data : fs::path();
}

std::vector<fs::path> shippedFolders(const fs::path& programFolder, const fs::path& exeFolder) {
    std::vector<fs::path> out;
    for (const fs::path& f : {programFolder, exeFolder, installedDataFolder(exeFolder)}) {
        std::error_code ec;
        const bool seen =
            std::any_of(out.begin(), out.end(), [&](const fs::path& o) { return fs::equivalent(o, f, ec); });
        if (isFolder(f) && !seen) out.push_back(f);
    }
    return out;
}

std::vector<fs::path> shippedFolders() {
    const IniSettingsStore settings(configFolder() / "settings.ini");
    return shippedFolders(programFolder(settings), executableFolder());
}

fs::path shippedFile(const std::string& name) {
    const std::vector<fs::path> folders = shippedFolders();
    for (const fs::path& f : folders) {
        std::error_code ec;
        if (fs::exists(f / name, ec)) return f / name;
    }
    return folders.empty() ? fs::path(name) : folders.front() / name;
}

} // namespace zul
