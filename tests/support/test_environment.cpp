// Compiled into every test program: before any test runs, the program's
// settings and data folders point into a fresh temporary folder of this test
// process (never the user's real ones), and Qt draws offscreen.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

struct TestEnvironment {
    std::filesystem::path root;

    TestEnvironment() {
        std::random_device rd;
        root = std::filesystem::temp_directory_path() /
               ("zul-env-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(root / "config");
        std::filesystem::create_directories(root / "home");
        ::setenv("ZULMARIN_CONFIG_DIR", (root / "config").c_str(), 1);
        ::setenv("ZULMARIN_HOME", (root / "home").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ~TestEnvironment() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

const TestEnvironment environment;

} // namespace
