#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/instance_channel.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

TEST(InstanceChannel, OnlyAPrivateFolderOfThisUserIsTaken) {
    TempDir dir;
    EXPECT_EQ(privateFolderProblem(dir / "run", true), ""); // made, 0700
    struct stat st {};
    ASSERT_EQ(::stat((dir / "run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::create_directory_symlink(dir / "run", dir / "link");
    writeFile(dir / "file", "");
    std::filesystem::create_directory(dir / "open");
    ::chmod((dir / "open").c_str(), 01777);
    EXPECT_NE(privateFolderProblem(dir / "link", true).find("symbolic link"), std::string::npos);
    EXPECT_NE(privateFolderProblem(dir / "file", true).find("not a folder"), std::string::npos);
    EXPECT_NE(privateFolderProblem(dir / "open", true).find("mode 1777"), std::string::npos);
    // $XDG_RUNTIME_DIR is taken only when nobody else can write into it.
    EXPECT_FALSE(isUserOnlyFolder(dir / "open"));
    EXPECT_TRUE(isUserOnlyFolder(dir / "run"));
}

// A socket another user put where ours would be gets nothing.
TEST(InstanceChannel, NothingIsHandedToAnotherUsersSocket) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const auto socket = dir / "planted.sock";
    const pid_t planter = plantListener(socket, 5);
    ASSERT_GT(planter, 0);
    const HandOffResult result = handOffMessage(socket, "ZULMARIN1 send A 1 ON\n", 1000, 1000, 100);
    EXPECT_EQ(result.status, HandOffResult::Status::WrongUser);
    EXPECT_NE(result.detail.find("user 65534"), std::string::npos) << result.detail;
    EXPECT_EQ(exitStatus(planter), 0); // nothing arrived
}

} // namespace
} // namespace zul::test
