// The zulmarin binary end to end: the frame, send and run subcommands, and a
// real send through the serial code to a pseudo-terminal whose modem lines an
// LD_PRELOAD shim records.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/cm17a_decoder.h"
#include "support/temp_dir.h"

namespace {

using zul::test::TempDir;

struct ProcessResult {
    int rc = -1;
    std::string out, err;
};

// Runs the built binary with the program and config folders in dir, plus the
// given extra environment ("NAME=value").
ProcessResult runZulmarin(const TempDir& dir, const std::vector<std::string>& args,
                          const std::vector<std::string>& env = {}) {
    const std::string outFile = (dir / "stdout").string(), errFile = (dir / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("ZULMARIN_CONFIG_DIR", (dir / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (dir / "home").c_str(), 1);
        for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
        dup2(open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> argv{const_cast<char*>("zulmarin")};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(ZUL_BINARY_DIR "/zulmarin", argv.data());
        _exit(127);
    }
    ProcessResult r;
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limit) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "zulmarin did not finish";
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = zul::test::readFile(outFile);
    r.err = zul::test::readFile(errFile);
    return r;
}

// A pseudo-terminal pair; the slave's path stands in for a serial device.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

} // namespace

TEST(CommandLine, FrameAndSendCheckTheirInput) {
    TempDir dir;
    const ProcessResult frame = runZulmarin(dir, {"frame", "a", "1", "on"});
    EXPECT_EQ(frame.rc, 0);
    EXPECT_EQ(frame.out, "1101010110101010011000000000000010101101\n");

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"frame", "A", "17", "ON"},
                                                {"frame", "P", "3", "BRI"},
                                                {"frame", "Q", "1", "ON"},
                                                {"send", "A", "1", "ON", "--port", "0"},
                                                {"send", "A", "ALL", "ON", "--port", "sim"},
                                                {"sned", "A"},  // a mistyped subcommand starts no window
                                                {"--version", "x"}}) {
        const ProcessResult r = runZulmarin(dir, bad);
        EXPECT_EQ(r.rc, 2) << bad[0] << bad[1];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    const ProcessResult sim = runZulmarin(dir, {"send", "k", "all", "alf", "--port", "sim"});
    EXPECT_EQ(sim.rc, 0) << sim.err;
    EXPECT_EQ(sim.out, "K ALF\n");

    EXPECT_EQ(runZulmarin(dir, {"send", "A", "1", "ON"}).rc, 1);
    const ProcessResult missing = runZulmarin(dir, {"send", "A", "1", "ON", "--port", (dir / "no-such-tty").string()});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_NE(missing.err.find("8002"), std::string::npos) << missing.err;
}

TEST(CommandLine, RunPlaysTheMacroWithItsPausesOnTheSimulatedTransmitter) {
    TempDir dir;
    zul::test::writeFile(dir / "t.cro", "\"01100000000000000001\"\r\n\"011100000001000000.2\"\r\n\"011000000010000000.3\"\r\n");
    const ProcessResult r = runZulmarin(dir, {"run", (dir / "t.cro").string(), "--port", "sim"});
    ASSERT_EQ(r.rc, 0) << r.err;
    // Each line: "<seconds> <signal>".
    std::vector<double> at;
    std::vector<std::string> texts;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double seconds = 0;
        std::string text;
        if (fields >> seconds && std::getline(fields >> std::ws, text)) at.push_back(seconds), texts.push_back(text);
    }
    ASSERT_EQ(texts, (std::vector<std::string>{"lead-in", "A1 ON", "B2 ON", "A1 OFF", "trailer", "trailer"})) << r.out;
    // After a frame: 0.05 s, the pause less 0.1 s (at least 0.15 s), 0.05 s,
    // then 70 ms settle and 40 ms of bits of the next frame.
    EXPECT_NEAR(at[2] - at[1], 1.0 + 0.11, 0.06);
    EXPECT_NEAR(at[3] - at[2], 0.25 + 0.11, 0.06);  // 0.2 s: the wait is 0.15 s at least
    EXPECT_LT(at[1], 0.4);

    EXPECT_EQ(runZulmarin(dir, {"run", (dir / "missing.cro").string(), "--port", "sim"}).rc, 2);
    EXPECT_EQ(runZulmarin(dir, {"run", "--port", "sim"}).rc, 2);
    zul::test::writeFile(dir / "junk.cro", "hello\r\n");
    const ProcessResult junk = runZulmarin(dir, {"run", (dir / "junk.cro").string(), "--port", "sim"});
    EXPECT_EQ(junk.rc, 2);
    EXPECT_NE(junk.err.find("junk.cro:1:"), std::string::npos) << junk.err;
    EXPECT_EQ(runZulmarin(dir, {"run", "--help"}).rc, 0);
}

TEST(CommandLine, MacroPrintGivesThePrintoutAsTextOrPdf) {
    TempDir dir;
    const std::string cro = (dir / "wake.cro").string(), pdf = (dir / "wake.pdf").string();
    ASSERT_EQ(runZulmarin(dir, {"macro", "write", cro, "A,1,ON,5", "C,12,ON,0.3", "K,ALL,AUF,125"}).rc, 0);
    const ProcessResult text = runZulmarin(dir, {"macro", "print", cro});
    ASSERT_EQ(text.rc, 0) << text.err;
    EXPECT_EQ(text.out.substr(0, 15), "\r\n   wake.cro\r\n");
    EXPECT_NE(text.out.find("\t 3 \tK  \tALL\tAUF\t\t0125\t\t130.3\r\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("   Total Runtime =  2m 10.3s\r\n"), std::string::npos);

    const ProcessResult printed = runZulmarin(dir, {"macro", "print", cro, "--pdf", pdf});
    ASSERT_EQ(printed.rc, 0) << printed.err;
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
    const std::string extracted = (dir / "wake.txt").string();
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + extracted + "'").c_str()), 0);
    const std::string words = zul::test::readFile(extracted);
    for (const char* expected : {"wake.cro", "Cnt", "HC", "Total Runtime = 2m 10.3s", "0125", "130.3", "Printed on"})
        EXPECT_NE(words.find(expected), std::string::npos) << expected << "\n" << words;

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"macro", "print"},
                                                {"macro", "print", (dir / "none.cro").string()},
                                                {"macro", "print", cro, "--pdf"},
                                                {"macro", "print", cro, "--color"}}) {
        const ProcessResult r = runZulmarin(dir, bad);
        EXPECT_EQ(r.rc, 2) << bad.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(SerialEndToEnd, SendClocksTheFrameOutOnTheModemLines) {
    TempDir dir;
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const std::string log = (dir / "modem.log").string();
    const ProcessResult r = runZulmarin(dir, {"send", "A", "3", "ON", "--port", pty.slave},
                                        {"LD_PRELOAD=" ZUL_MODEM_SHIM, "ZUL_MODEM_LOG=" + log,
                                         "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"});
    ASSERT_EQ(r.rc, 0) << r.err;

    // Each state must have lasted the default 500 us.
    zul::sim::Cm17aDecoder decoder(50000, 500);
    std::istringstream lines(zul::test::readFile(log));
    long long micros = 0;
    int rts = 0, dtr = 0, changes = 0;
    while (lines >> micros >> rts >> dtr) {
        decoder.feed(micros, rts != 0, dtr != 0);
        ++changes;
    }
    decoder.flush();
    EXPECT_GE(changes, 160);
    EXPECT_EQ(decoder.texts(), std::vector<std::string>{"A3 ON"});
}
