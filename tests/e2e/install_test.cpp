// The installed program: `cmake --install` of this build into a temporary
// prefix, then the installed binary run from there as a user would.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "process.h"
#include "support/temp_dir.h"

namespace {

using zul::test::ProcessResult;
using zul::test::runProgram;
using zul::test::TempDir;
namespace fs = std::filesystem;

} // namespace

TEST(Install, TheInstalledProgramRunsAndKeepsTheUsersFilesOutOfThePrefix) {
    TempDir dir;
    const fs::path prefix = dir / "prefix";
    const ProcessResult install =
        runProgram(ZUL_CMAKE_COMMAND, dir, {"--install", ZUL_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(install.rc, 0) << install.out << install.err;
    for (const char* file : {"bin/zulmarin", "lib/zulmarin/zulmarin-tx", "lib/zulmarin/zulmarin-gui",
                             "share/zulmarin/click.wav", "share/zulmarin/German.lan", "share/zulmarin/zulHelp.html",
                             "share/zulmarin/zulmarin.svg", "share/applications/zulmarin.desktop",
                             "share/icons/hicolor/scalable/apps/zulmarin.svg", "share/mime/packages/zulmarin-macro.xml",
                             "share/man/man1/zulmarin.1.gz", "lib/systemd/user/zulmarin.service"})
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;

    const std::string exe = (prefix / "bin" / "zulmarin").string();
    const ProcessResult frame = runProgram(exe, dir, {"frame", "A", "1", "ON"});
    EXPECT_EQ(frame.rc, 0) << frame.err;
    EXPECT_EQ(frame.out, "1101010110101010011000000000000010101101\n");

    // zulmarin finds the programs it starts from its own folder.
    const ProcessResult send = runProgram(exe, dir, {"send", "A", "1", "ON", "--port", "sim"});
    EXPECT_EQ(send.rc, 0) << send.err;
    EXPECT_EQ(send.out, "A1 ON\n");

    // Without ZULMARIN_HOME the user's files go to the per-user data folder,
    // never beside the installed program, even for a user who could write there.
    const ProcessResult timers =
        runProgram(exe, dir, {"timers"}, {"ZULMARIN_HOME", "HOME=" + (dir / "user").string(), "XDG_DATA_HOME"});
    EXPECT_EQ(timers.rc, 0) << timers.err;
    const fs::path dataFolder = dir / "user" / ".local" / "share" / "zulmarin";
    EXPECT_EQ(timers.out.substr(0, timers.out.find('\n')),
              "Timers of " + (dataFolder / "tmrdat.zul").string() + " (no such file yet)");
    EXPECT_TRUE(fs::is_directory(dataFolder));
    EXPECT_EQ(std::distance(fs::directory_iterator(prefix / "bin"), fs::directory_iterator()), 1);
}

TEST(Install, TheManualPageHasEverySubcommand) {
    const std::string page = zul::cli::manPage();
    for (const auto& c : zul::cli::commands())
        EXPECT_NE(page.find(std::string(".SS ") + c.name + "\n.nf\nusage: zulmarin " + c.name), std::string::npos)
            << c.name;
    // Help texts are text to roff: options keep their minus signs.
    EXPECT_NE(page.find("[\\-\\-port PORT]"), std::string::npos);
}
