// The zulmarin binary end to end: the frame, send and run subcommands, and a
// real send through the serial code to a pseudo-terminal whose modem lines an
// LD_PRELOAD shim records.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/cm17a_decoder.h"
#include "run_program.h"
#include "support/temp_dir.h"

namespace {

using zul::test::ProcessResult;
using zul::test::runZulmarin;
using zul::test::TempDir;

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

TEST(CommandLine, TimersListsWhenEachTimerRunsNextAndReportsAFileItCannotUse) {
    TempDir dir;
    std::filesystem::create_directories(dir / "home");
    zul::test::writeFile(dir / "home" / "tmrdat.zul", "\"porch.cro*7:00:00*Weekdays\"\r\n"
                                                      "\"\"\r\n"
                                                      "\"B 2 OFF*23:59:59*Never\"\r\n"
                                                      "\"A 1 ON*8:00:00*Sometimes\"\r\n");
    const ProcessResult r = runZulmarin(dir, {"timers", "list", "--at", "2024-05-03 14:00:00"}, {"TZ=UTC"});
    EXPECT_EQ(r.rc, 1);  // the unknown days rule
    EXPECT_EQ(r.out, "Timers of " + (dir / "home" / "tmrdat.zul").string() + "\n"
                     "Now Fri 2024-05-03 14:00:00, no location set for sunrise and sunset\n"
                     "#  Days      Start     Due today  Runs       Next run\n"
                     "1  Weekdays  7:00:00   7:00:00    porch.cro  Mon 2024-05-06 7:00:00\n"
                     "3  Never     23:59:59  23:59:59   B 2 OFF    never: days rule Never\n"
                     "4  not set   8:00:00   8:00:00    A 1 ON     never: days rule not set\n");
    EXPECT_EQ(r.err, "zulmarin: " + (dir / "home" / "tmrdat.zul").string() +
                         ": line 4: unknown days rule 'Sometimes'; the timer never runs\n");

    std::filesystem::remove(dir / "home" / "tmrdat.zul");
    std::filesystem::create_directory(dir / "home" / "tmrdat.zul");
    const ProcessResult folder = runZulmarin(dir, {"timers"});
    EXPECT_EQ(folder.rc, 1);
    EXPECT_NE(folder.err.find("cannot read the timer file"), std::string::npos) << folder.err;
    EXPECT_EQ(runZulmarin(dir, {"timers", "--at", "noon"}).rc, 2);
}
