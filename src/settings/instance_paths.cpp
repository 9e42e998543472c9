#include "settings/instance_paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/instance_channel.h"
#include "settings/paths.h"

namespace zul {

namespace {
namespace fs = std::filesystem;

// FNV-1a: the same text gives the same name in every process.
std::string shortHash(const std::string& text) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return std::string(out, 12);
}

fs::path runtimeBase() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg && isUserOnlyFolder(xdg)) return xdg;
    const fs::path session = fs::path("/run/user") / std::to_string(::geteuid());
    if (isUserOnlyFolder(session)) return session;
    return {};
}
} // namespace

std::string instanceName() {
    const char* dir = std::getenv("ZULMARIN_CONFIG_DIR");
    return dir && *dir ? "zulmarin-" + shortHash(dir) : "zulmarin";
}

std::optional<InstancePaths> instancePaths(std::string& error) {
    InstancePaths p;
    const fs::path base = runtimeBase();
    if (base.empty()) {
        std::error_code ec;
        fs::create_directories(configFolder(), ec);
        p.folder = configFolder() / "run";
    } else {
        p.folder = base / "zulmarin";
    }
    if (error = privateFolderProblem(p.folder, true); !error.empty()) return std::nullopt;
    p.lock = p.folder / (instanceName() + ".lock");
    p.socket = p.folder / (instanceName() + ".sock");
    if (p.socket.native().size() > maxSocketPathLength()) {
        error = "the socket path " + p.socket.string() + " is longer than the system allows";
        return std::nullopt;
    }
    return p;
}

} // namespace zul
