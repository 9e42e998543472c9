#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace zul::test {

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        auto p = std::filesystem::temp_directory_path() /
                 ("zul-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
        if (std::filesystem::create_directory(p)) {
            path_ = p;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::error_code ec;
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

ScopedHome::ScopedHome()
    : config_(dir_ / "config"),
      home_(dir_ / "home"), env_{{"ZULMARIN_CONFIG_DIR", config_.string()}, {"ZULMARIN_HOME", home_.string()}} {
    std::filesystem::create_directories(config_);
    std::filesystem::create_directories(home_);
}

} // namespace zul::test
