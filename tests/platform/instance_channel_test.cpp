#include <gtest/gtest.h>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instance_channel.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

constexpr unsigned Nobody = 65534;

// Runs f in a child process as user 65534; returns its exit status.
template <class F>
int asNobody(F f) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) _exit(90);
        _exit(f());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceChannel, OnlyAPrivateFolderOfThisUserIsTaken) {
    TempDir dir;
    EXPECT_EQ(privateFolderProblem(dir / "run", true), "");  // made, 0700
    struct stat st{};
    ASSERT_EQ(::stat((dir / "run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::filesystem::create_directory_symlink(dir / "run", dir / "link");
    writeFile(dir / "file", "");
    std::filesystem::create_directory(dir / "open");
    ::chmod((dir / "open").c_str(), 0755);
    EXPECT_NE(privateFolderProblem(dir / "link", true).find("symbolic link"), std::string::npos);
    EXPECT_NE(privateFolderProblem(dir / "file", true).find("not a folder"), std::string::npos);
    EXPECT_NE(privateFolderProblem(dir / "open", true).find("mode 0755"), std::string::npos);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((dir / "run").c_str(), Nobody, Nobody), 0);
        EXPECT_NE(privateFolderProblem(dir / "run", true).find("belongs to user 65534"), std::string::npos);
    }
    // $XDG_RUNTIME_DIR is taken when nobody else can write into it.
    std::filesystem::create_directory(dir / "shared");
    ::chmod((dir / "shared").c_str(), 01777);
    EXPECT_FALSE(isUserOnlyFolder(dir / "shared"));
    EXPECT_TRUE(isUserOnlyFolder(dir / "open"));
}

TEST(InstanceChannel, TheLockHasOneHolderAndGoesWithItsProcess) {
    TempDir dir;
    const auto file = dir / "x.lock";
    EXPECT_FALSE(InstanceLock::heldBySomeone(file));
    {
        InstanceLock first(file), second(file);
        EXPECT_TRUE(first.tryLock());
        EXPECT_FALSE(second.tryLock());
        EXPECT_TRUE(InstanceLock::heldBySomeone(file));
    }
    EXPECT_FALSE(InstanceLock::heldBySomeone(file));

    // A copy killed while holding it leaves nothing that blocks the next.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock held(file);
        const char c = held.tryLock() ? '1' : '0';
        [[maybe_unused]] auto n = ::write(ready[1], &c, 1);
        ::pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1');
    EXPECT_TRUE(InstanceLock::heldBySomeone(file));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    InstanceLock next(file);
    EXPECT_TRUE(next.tryLock());
}

// A socket another user put where ours would be gets nothing.
TEST(InstanceChannel, NothingIsHandedToAnotherUsersSocket) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const auto socket = dir / "planted.sock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t planter = ::fork();
    if (planter == 0) {
        _exit(asNobody([&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
            if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) return 2;
            ::chmod(socket.c_str(), 0777);
            [[maybe_unused]] auto n = ::write(ready[1], "x", 1);
            const int client = ::accept(fd, nullptr, nullptr);
            char buffer[64];
            timeval wait{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            return ::recv(client, buffer, sizeof buffer, 0) > 0 ? 1 : 0;  // 1: it received our text
        }));
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const HandOffResult result = handOffMessage(socket, "ZULMARIN1 send A 1 ON\n", 1000, 1000, 100);
    EXPECT_EQ(result.status, HandOffResult::Status::WrongUser);
    EXPECT_NE(result.detail.find("user 65534"), std::string::npos) << result.detail;
    int status = 0;
    ::waitpid(planter, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace zul::test
