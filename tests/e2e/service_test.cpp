// The service and the command line as separate processes: timers fired on a
// pseudo-terminal's modem lines, a send handed over by a second process, a
// timer file replaced while it runs, a clean stop; one lock for the service
// and the desktop program; a channel no other user can capture or block.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <latch>
#include <map>
#include <thread>

#include "handoff/instance_message.h"
#include "platform/instance_channel.h"
#include "process.h"
#include "settings/instance_paths.h"
#include "settings/record_store.h"
#include "support/scoped_env.h"
#include "timers/timer_rig.h"
#include "x10/port_link.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

// "7:05:09": the clock text of a time of day (hour without a leading zero).
std::string clockText(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

// Written elsewhere and renamed into place, as every writer does.
void replaceFile(const fs::path& file, const std::string& bytes) {
    writeFile(file.string() + ".new", bytes);
    fs::rename(file.string() + ".new", file);
}

// The socket a service started in dir listens on, as its hand-overs find it.
fs::path serviceSocket(const TempDir& dir) {
    const ScopedEnv config{{"ZULMARIN_CONFIG_DIR", (dir / "config").string()}};
    std::string error;
    const auto paths = instancePaths(error);
    return paths ? paths->socket : fs::path();
}

// One hand-over as another start makes it: the answer line ("" for none) and how long it took.
std::pair<std::string, double> timedHandOff(const fs::path& socket, const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    const HandOffResult r = handOffMessage(socket, app::encodeHandOff(text), 5000, 30000, 8192);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {r.status == HandOffResult::Status::Answered ? r.answer : "", took.count()};
}

// Sockets left in the runtime folder of this test process.
int socketsLeft() {
    int n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(std::getenv("XDG_RUNTIME_DIR")) / "zulmarin", ec))
        n += e.is_socket() ? 1 : 0;
    return n;
}

class ServiceEndToEnd : public ::testing::Test {
protected:
    ServiceEndToEnd() {
        fs::create_directories(dir / "config");
        fs::create_directories(dir / "home");
    }
    void presetPort(const std::string& port) {
        RecordStore store;
        ASSERT_TRUE(store.open(dir / "home" / "db.zld"));
        ASSERT_TRUE(store.writeRecord(RecordNumber::Port, port, true));
    }
    TempDir dir;
};

TEST_F(ServiceEndToEnd, TimersAndAHandedSendShareTheLinesAndTheServiceStopsCleanly) {
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const auto log = dir / "modem.log";
    const std::time_t t0 = std::time(nullptr) + 1;
    const auto home = dir / "home";
    writeFile(home / "wake.cro", quotedLines({"011000000010000000.5", "01110000000100000001"})); // A1 OFF, B2 ON
    const std::vector<std::string> timers{"A 1 ON*" + clockText(t0 + 4) + "*Everyday",
                                          "wake.cro*" + clockText(t0 + 6) + "*Everyday"};
    writeFile(home / "tmrdat.zul", quotedLines(timers));

    Spawned service(dir, {"service", "--port", pty.slave}, modemShim(log), "service");
    ASSERT_TRUE(service.waitForOutput("timers on")) << service.err();
    if (std::time(nullptr) >= t0 + 4)
        GTEST_SKIP() << "the service started too late for its first timer on this busy machine";
    const ProcessResult handed = runZulmarin(dir, {"send", "B", "2", "OFF"});
    EXPECT_EQ(handed.rc, 0) << handed.err;
    auto withThird = timers;
    withThird.push_back("A 2 ON*" + clockText(t0 + 9) + "*Everyday");
    replaceFile(home / "tmrdat.zul", quotedLines(withThird));
    EXPECT_TRUE(service.waitForOutput("Timer 3", 15000)) << service.out();
    EXPECT_TRUE(service.waitForOutput("Timer 2: Ended", 5000)) << service.out();
    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(), 0) << service.err();
    EXPECT_NE(readFile(home / "TimerLog.log").find("Timer 2 : (wake.cro)"), std::string::npos);
    EXPECT_EQ(socketsLeft(), 0);

    // Monotonic stamps of the line log to wall-clock seconds.
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch();
    const long long offset = std::chrono::duration_cast<std::chrono::microseconds>(wall - mono).count();
    std::vector<std::string> commands;
    std::map<std::string, std::time_t> second;
    for (const auto& s : decodeModemLog(log)) {
        EXPECT_NE(s.kind, sim::DecodedSignal::Kind::Malformed) << s.text; // no frame cut
        if (s.kind != sim::DecodedSignal::Kind::Command) continue;
        commands.push_back(s.text);
        second.emplace(s.text, static_cast<std::time_t>((s.micros + offset) / 1000000));
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"B2 OFF", "A1 ON", "A1 OFF", "B2 ON", "A2 ON"}));
    // Each frame goes out in its timer's second or, on a busy machine, soon after.
    const std::pair<const char*, std::time_t> timesDue[] = {{"A1 ON", t0 + 4}, {"A1 OFF", t0 + 6}, {"A2 ON", t0 + 9}};
    for (const auto& [command, due] : timesDue) {
        EXPECT_GE(second[command], due) << command;
        EXPECT_LE(second[command], due + 2) << command;
    }
}

TEST_F(ServiceEndToEnd, TheServiceAndTheDesktopProgramShareOneLock) {
    presetPort(x10::SimulatorPortText);
    const std::vector<std::string> noDisplay{"QT_QPA_PLATFORM=", "DISPLAY="};
    Spawned desktop(dir, {}, {}, "desktop"); // offscreen, as every test
    ASSERT_TRUE(waitUntil([] { return socketsLeft() == 1; })) << desktop.err();

    // The service waits while the desktop program runs; SIGTERM ends the
    // desktop program as Exit does: its socket goes, the service takes over.
    Spawned service(dir, {"service"}, noDisplay, "service");
    EXPECT_TRUE(waitUntil([&] { return service.err().find("waiting for it to end") != std::string::npos; }));
    desktop.signal(SIGTERM);
    EXPECT_EQ(desktop.wait(), 0) << desktop.err();
    EXPECT_NE(readFile(dir / "config" / "settings.ini").find("CurrentExePath="), std::string::npos); // the closing ran
    EXPECT_TRUE(service.waitForOutput("timers on")) << service.err();

    // A desktop start while the service runs ends with the reason; a macro
    // file given to it is played by the service.
    const ProcessResult refused = runZulmarin(dir, {}, noDisplay);
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("The zulmarin service is running and owns the transmitter."), std::string::npos);
    writeFile(dir / "porch.cro", quotedLines({"01100000000000000.50"}));
    const ProcessResult played = runZulmarin(dir, {(dir / "porch.cro").string()}, noDisplay);
    EXPECT_EQ(played.rc, 0) << played.err;
    EXPECT_TRUE(service.waitForOutput("simulator: A1 ON")) << service.out();

    // Killed outright, it leaves its socket, but never a lock that blocks the
    // next start. No window toolkit plugin is loaded (xcb would abort here).
    service.signal(SIGKILL);
    service.wait();
    EXPECT_EQ(socketsLeft(), 1);
    Spawned next(dir, {"service"}, std::vector<std::string>{"QT_QPA_PLATFORM=xcb", "DISPLAY="}, "next");
    EXPECT_TRUE(next.waitForOutput("timers on")) << next.err();
    EXPECT_EQ(runZulmarin(dir, {"send", "A", "2", "ON"}).rc, 0);
    EXPECT_TRUE(next.waitForOutput("simulator: A2 ON")) << next.out();
    next.signal(SIGINT);
    EXPECT_EQ(next.wait(), 0);
    EXPECT_EQ(socketsLeft(), 0);
}

// A stop signal ends the desktop program at any moment, its start-up message
// waiting for an OK included; the lock and the socket go with it.
TEST_F(ServiceEndToEnd, AStopSignalEndsTheDesktopProgramDuringItsStartUpMessage) {
    presetPort(x10::SimulatorPortText);
    ASSERT_EQ(::mkfifo((dir / "config" / "settings.ini").c_str(), 0600), 0); // cannot be read: a message says so
    Spawned desktop(dir, {}, {}, "desktop");
    // The message goes up right after the error log says the same.
    ASSERT_TRUE(waitUntil([&] { return fs::exists(dir / "home" / "error.log"); })) << desktop.err();
    EXPECT_EQ(socketsLeft(), 1);
    desktop.signal(SIGTERM);
    EXPECT_EQ(desktop.wait(5000), 0) << desktop.err();
    EXPECT_EQ(socketsLeft(), 0);
}

// A runtime folder others can write into is not used; a symbolic link or a
// plain file another user planted where the fallback folder would be is
// refused, by the service and the command line alike, and gets nothing.
TEST_F(ServiceEndToEnd, AnotherUserCanNeitherCaptureNorBlockTheChannel) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    if (fs::exists("/run/user/0")) GTEST_SKIP() << "the session folder /run/user/0 would be used instead";
    presetPort(x10::SimulatorPortText);
    const auto shared = dir / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + shared.string(), "QT_QPA_PLATFORM="};
    Spawned service(dir, {"service"}, env, "service");
    ASSERT_TRUE(service.waitForOutput("timers on")) << service.err();
    EXPECT_EQ(runZulmarin(dir, {"send", "A", "4", "ON"}, env).rc, 0);
    EXPECT_TRUE(service.waitForOutput("simulator: A4 ON"));
    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(), 0);
    EXPECT_TRUE(fs::is_empty(shared));

    ::chmod((dir / "config").c_str(), 01777);
    ASSERT_EQ(runAsNobody("mkdir -m 0777 " + (shared / "theirs").string()), 0);
    for (const std::string& plant : {"ln -s " + (shared / "theirs").string(), std::string("touch")}) {
        fs::remove_all(dir / "config" / "run");
        ASSERT_EQ(runAsNobody(plant + " " + (dir / "config" / "run").string()), 0) << plant;
        const ProcessResult refused = runZulmarin(dir, {"service"}, env);
        EXPECT_EQ(refused.rc, 1) << plant;
        EXPECT_NE(refused.err.find((dir / "config" / "run").string()), std::string::npos) << refused.err;
        EXPECT_EQ(runZulmarin(dir, {"send", "A", "1", "ON"}, env).rc, 1);
        EXPECT_TRUE(fs::is_empty(shared / "theirs"));
    }
}

// A macro handed over with a pause of 9999 s: a send goes out between its
// frames at once, another macro is told what it waits for and plays once the
// first caller ends, and 40 hand-overs at once are all answered.
TEST_F(ServiceEndToEnd, NoHandOverWaitsBehindALongMacroAndFortyAtOnceAreAllAnswered) {
    writeFile(dir / "long.cro", quotedLines({"01100000000000009999"})); // A1 ON, then 9999 s
    writeFile(dir / "next.cro", quotedLines({"01110000000100000001"})); // B2 ON
    Spawned service(dir, {"service", "--port", "sim"}, {}, "service");
    ASSERT_TRUE(service.waitForOutput("timers on")) << service.err();
    const fs::path socket = serviceSocket(dir);
    Spawned longRun(dir, {"run", (dir / "long.cro").string()}, {}, "long");
    ASSERT_TRUE(service.waitForOutput("simulator: A1 ON")) << service.err();

    const auto [sent, sendSeconds] = timedHandOff(socket, "send A 2 ON");
    EXPECT_EQ(sent, "ZULMARIN1 ok\n");
    EXPECT_LT(sendSeconds, 1.0);
    EXPECT_TRUE(service.waitForOutput("simulator: A2 ON")) << service.out();

    Spawned next(dir, {"run", (dir / "next.cro").string()}, {}, "next");
    const std::string told =
        "zulmarin: waiting for the macro " + (dir / "long.cro").string() + ", handed over earlier, to end\n";
    EXPECT_TRUE(waitUntil([&] { return next.err() == told; })) << next.err();
    EXPECT_EQ(next.wait(0), -1); // still waiting
    longRun.signal(SIGKILL);     // its caller gone, the long macro stops
    longRun.wait();
    EXPECT_EQ(next.wait(10000), 0) << next.err();
    EXPECT_TRUE(service.waitForOutput("simulator: B2 ON")) << service.out();

    std::vector<std::pair<std::string, double>> answers(40);
    std::latch ready(static_cast<std::ptrdiff_t>(answers.size()));
    std::vector<std::thread> callers;
    for (std::size_t i = 0; i < answers.size(); ++i)
        callers.emplace_back([&, i] {
            ready.arrive_and_wait();
            answers[i] = timedHandOff(socket, "send C " + std::to_string(i % 16 + 1) + " ON");
        });
    for (auto& c : callers) c.join();
    for (const auto& answer : answers) EXPECT_EQ(answer.first, "ZULMARIN1 ok\n");
    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(), 0) << service.err();
}

// SIGTERM before the service could catch it (held until then) still ends it
// through its stop path, not by the signal.
TEST_F(ServiceEndToEnd, AStopAskedForAtTheVeryStartGoesThroughTheStopPath) {
    RunOptions early;
    early.stopSignalsHeld = true;
    early.beforeStart = [](pid_t pid) { ::kill(pid, SIGTERM); };
    Spawned service(dir, {"service", "--port", "sim"}, early, "service");
    EXPECT_EQ(service.wait(15000), 0) << service.err();
    EXPECT_TRUE(service.out().ends_with("stopped\n")) << service.out();
}

} // namespace
} // namespace zul::test
