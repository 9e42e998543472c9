// Compiled into every test program: before any test runs, the program's
// settings, data and runtime folders, and the home and freedesktop folders
// where launchers and file types go, point into a fresh temporary folder of
// this test process (never the user's real ones), Qt draws offscreen, and an
// exception that a guarded handler catches fails the test.
#include <cstdlib>
#include <sys/stat.h>

#include "support/caught_failures.h"
#include "support/temp_dir.h"

namespace {

struct TestEnvironment {
    zul::test::TempDir root;

    TestEnvironment() {
        std::filesystem::create_directories(root / "config");
        std::filesystem::create_directories(root / "home");
        std::filesystem::create_directories(root / "user");
        std::filesystem::create_directories(root / "runtime");
        ::chmod((root / "runtime").c_str(), 0700);
        ::setenv("ZULMARIN_CONFIG_DIR", (root / "config").c_str(), 1);
        ::setenv("ZULMARIN_HOME", (root / "home").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
        ::setenv("HOME", (root / "user").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "user/.config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "user/.local/share").c_str(), 1);
        // One screen of a common size (the plain offscreen one is 800 x 600).
        const auto screens = root / "screens.json";
        zul::test::writeFile(screens, R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1280, "height": 1024,)"
                                      R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);
        zul::test::failTestsOnCaughtFailures();
    }
};

const TestEnvironment environment;

} // namespace
