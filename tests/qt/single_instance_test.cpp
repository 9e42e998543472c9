#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "handoff/instance_message.h"
#include "platform/qt/single_instance.h"
#include "support/other_user.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

using Answer = std::optional<app::HandOffAnswer>;

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() {
        qtApplication();
        paths.folder = dir.path();
        paths.lock = dir / "zulmarin.lock";
        paths.socket = dir / "zulmarin.sock";
    }

    // Processes events until the condition holds or the time is up.
    template <class F>
    bool waitFor(F done, int ms = 3000) {
        QElapsedTimer t;
        t.start();
        bool ok = false;
        while (!(ok = done()) && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return ok;
    }

    // A hand-off from another thread (it blocks until answered) while this one serves it.
    Answer handOff(const std::string& text, std::string* failure = nullptr) {
        auto pending = std::async(std::launch::async, [this, text] {
            std::string why;
            Answer answer = qt::SingleInstance::handOff(paths, text, why, 2000, 5000);
            return std::make_pair(answer, why);
        });
        waitFor([&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 8000);
        auto [answer, why] = pending.get();
        if (failure) *failure = why;
        return answer;
    }

    // A raw connection to the socket, left open; -1 when refused.
    int connectRaw() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", paths.socket.c_str());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
        ::close(fd);
        return -1;
    }

    TempDir dir;
    InstancePaths paths;
};

TEST_F(SingleInstanceTest, OneCopyClaimsTheOthersHandOverAndWaitForTheAnswer) {
    qt::SingleInstance first(paths);
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(qt::SingleInstance::running(paths));
    std::vector<std::string> received;
    first.onMessage = [&](const std::string& text, qt::SingleInstance::Reply reply) {
        received.push_back(text);
        // The answer comes later, once the work is done.
        QTimer::singleShot(100, [reply, text] {
            reply(text == "send A 1 ON" ? app::HandOffAnswer{} : app::answerError("port busy"));
        });
    };
    qt::SingleInstance second(paths);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(second.error().empty());
    EXPECT_TRUE(handOff("send A 1 ON")->ok);
    EXPECT_EQ(handOff("run /home/me/Hall Lights.cro")->message, "port busy");
    EXPECT_EQ(received, (std::vector<std::string>{"send A 1 ON", "run /home/me/Hall Lights.cro"}));
    std::string failure;
    EXPECT_FALSE(handOff("previous\x01", &failure));
    EXPECT_EQ(failure, "the command holds characters that cannot be handed to the running copy");

    // The socket goes with the copy; the next start is the running copy, also
    // over a socket file a killed copy left behind, and it listens again
    // should its socket go.
    first.release();
    EXPECT_FALSE(std::filesystem::exists(paths.socket));
    EXPECT_FALSE(qt::SingleInstance::running(paths));
    writeFile(paths.socket, "left behind");
    second.setLimits(8, 300, 50);
    ASSERT_TRUE(second.claim());
    second.onMessage = [](const std::string&, qt::SingleInstance::Reply reply) { reply({}); };
    std::filesystem::remove(paths.socket);
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(paths.socket); }));
    EXPECT_TRUE(handOff("previous")->ok);
}

TEST_F(SingleInstanceTest, ConnectionsThatAreNotOursIdleOrTooManyAreClosed) {
    qt::SingleInstance running(paths);
    running.setLimits(8, 300);
    ASSERT_TRUE(running.claim());
    int received = 0;
    running.onMessage = [&](const std::string&, qt::SingleInstance::Reply reply) {
        ++received;
        reply({});
    };
    const std::string valid = app::encodeHandOff("send A 1 ON");
    for (const std::string& junk :
         {std::string("previous\n"), std::string("ZULMARIN1 a\x01.cro\n"), std::string(10000, 'Z')}) {
        const int fd = connectRaw();
        ASSERT_EQ(::write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
        char c;
        EXPECT_TRUE(waitFor([&] { return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0; })) << junk.substr(0, 20);
        ::close(fd);
    }
    // Another user's process that reaches the socket (the folder opened up
    // for the test) is refused before anything it sends is read.
    if (::geteuid() == 0) {
        ::chmod(dir.path().c_str(), 0755);
        ::chmod(paths.socket.c_str(), 0777);
        const pid_t other = asOtherUser([&] {
            const int fd = connectRaw();
            char c;
            ::fcntl(fd, F_SETFL, 0);
            return ::write(fd, valid.data(), valid.size()) > 0 && ::recv(fd, &c, 1, 0) <= 0 ? 0 : 1;
        });
        std::optional<int> status;
        EXPECT_TRUE(waitFor([&] { return (status = exitStatus(other, false)).has_value(); }));
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(received, 0);

    // 1,100 connections that send nothing: the channel stays open to a real hand-off.
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, 1400));
    ::setrlimit(RLIMIT_NOFILE, &files);
    std::vector<int> idle;
    while (idle.size() < 1100) {
        if (const int fd = connectRaw(); fd >= 0) idle.push_back(fd);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    EXPECT_LE(running.openConnections(), 8);
    EXPECT_TRUE(handOff("previous")->ok);
    EXPECT_EQ(received, 1);
    // Those still open are closed once they have idled too long.
    EXPECT_TRUE(waitFor([&] { return running.openConnections() == 0; }));
    for (const int fd : idle) ::close(fd);
}

} // namespace
} // namespace zul::test
