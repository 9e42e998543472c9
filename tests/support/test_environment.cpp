// Compiled into every test program: before any test runs, the program's
// settings and data folders point into a fresh temporary folder of this test
// process (never the user's real ones), and Qt draws offscreen.
#include <cstdlib>

#include "support/temp_dir.h"

namespace {

struct TestEnvironment {
    zul::test::TempDir root;

    TestEnvironment() {
        std::filesystem::create_directories(root / "config");
        std::filesystem::create_directories(root / "home");
        ::setenv("ZULMARIN_CONFIG_DIR", (root / "config").c_str(), 1);
        ::setenv("ZULMARIN_HOME", (root / "home").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
};

const TestEnvironment environment;

} // namespace
