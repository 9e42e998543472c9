// The zulmarin binary end to end: the frame, send and run subcommands, and a
// real send through the serial code to a pseudo-terminal whose modem lines an
// LD_PRELOAD shim records.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "process.h"
#include "settings/record_store.h"

namespace {

using zul::test::ProcessResult;
using zul::test::Pty;
using zul::test::runZulmarin;
using zul::test::TempDir;

} // namespace

TEST(CommandLine, FrameAndSendWorkLoadingOnlyWhatTheyNeedAndAPortThatIsNotThereFails) {
    TempDir dir;
    // ld.so names each library it loads on standard error: frame loads no Qt
    // at all, send none of the windows' or sound's.
    const zul::test::RunOptions traced({"LD_DEBUG=files"});
    const ProcessResult frame = runZulmarin(dir, {"frame", "a", "1", "on"}, traced);
    EXPECT_EQ(frame.rc, 0);
    EXPECT_EQ(frame.out, "1101010110101010011000000000000010101101\n");
    EXPECT_NE(frame.err.find("file=libstdc++"), std::string::npos) << frame.err;
    EXPECT_EQ(frame.err.find("Qt6"), std::string::npos) << frame.err;

    const ProcessResult sim = runZulmarin(dir, {"send", "k", "all", "alf", "--port", "sim"}, traced);
    EXPECT_EQ(sim.rc, 0) << sim.err;
    EXPECT_EQ(sim.out, "K ALF\n");
    EXPECT_NE(sim.err.find("file=libQt6Core"), std::string::npos) << sim.err;
    for (const char* library : {"libQt6Gui", "libQt6Widgets", "libQt6Multimedia", "libpulse"})
        EXPECT_EQ(sim.err.find(library), std::string::npos) << library;

    EXPECT_EQ(runZulmarin(dir, {"send", "A", "1", "ON"}).rc, 1);
    const ProcessResult missing = runZulmarin(dir, {"send", "A", "1", "ON", "--port", (dir / "no-such-tty").string()});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_NE(missing.err.find("8002"), std::string::npos) << missing.err;
}

TEST(CommandLine, BadInputIsRefusedInOneEscapedLineAndWhatIsNoFileAtOnce) {
    TempDir dir;
    using Args = std::vector<std::string>;
    const auto sun = [](const char* date, const char* lat, const char* lon, const char* zone) {
        return Args{"sun", date, "--lat", lat, "--lon", lon, "--zone", zone};
    };
    const std::string cro = (dir / "wake.cro").string();
    zul::test::writeFile(cro, "\"01100000000000000005\"\r\n");
    ASSERT_EQ(::mkfifo((dir / "pipe.cro").c_str(), 0600), 0);
    zul::test::writeFile(dir / "big.cro", std::string(10 * 1024 * 1024, '\n'));
    zul::test::writeFile(dir / "binary.log", std::string("\x7f"
                                                         "ELF\x02\x01\0\0\n\x90",
                                                         11));
    const std::pair<Args, int> cases[] = {
        {{"frame", "A", "17", "ON"}, 2},
        {{"frame", "P", "3", "BRI"}, 2},
        {{"frame", "Q", "1", "ON"}, 2},
        {{"send", "A", "1", "ON", "--port", "0"}, 2},
        {{"send", "A", "ALL", "ON", "--port", "sim"}, 2},
        {{"service", "--port", "0"}, 2},
        {{"service", "now"}, 2},
        {{"--version", "x"}, 2},
        {{"sned", "A"}, 2}, // a mistyped subcommand starts no window
        {{"macro", "print"}, 2},
        {{"macro", "print", (dir / "none.cro").string()}, 2},
        {{"macro", "print", cro, "--pdf"}, 2},
        {{"macro", "print", cro, "--color"}, 2},
        {{"units", "describe", "Q3", "x"}, 2},
        {{"units", "describe", "A3"}, 2},
        {{"units", "rename", "A3", "x"}, 2},
        {{"units", "describe", "A3", "two\nlines"}, 2},
        {{"units", "describe", "A3",
          "\xc2\x9b"
          "2J"},
         2},
        {{"units", "describe", "A3",
          "a\xe2\x80\xae"
          "b"},
         2},
        {sun("2024-06-2x", "52", "1", "0"), 2},
        {sun("+024-06-21", "52", "1", "0"), 2},
        {sun("1900-01-01", "52", "1e300", "0"), 2},
        {sun("2024-06-21", "91", "1", "0"), 2},
        {sun("2024-06-21", "52", "nan", "0"), 2},
        {sun("2024-06-21", "52", "1", "0x10"), 2},
        {sun("2024-06-21", "52", "1", "15"), 2},
        {{"frame", "A\n\x1b[2J", "1", "ON"}, 2},
        {{"macro", "show", (dir / "pipe.cro").string()}, 1},
        {{"macro", "show", "/dev/zero"}, 1},
        {{"macro", "show", dir.path().string()}, 1},
        {{"macro", "show", (dir / "big.cro").string()}, 1},
        {{"run", (dir / "pipe.cro").string(), "--port", "sim"}, 2},
        {{"macro", "print", (dir / "pipe.cro").string()}, 1},
        {{"macro", "print",
          (dir / "a\xe2\x80\xae"
                 "\x1b[2J.cro")
              .string()},
         2},
        {{"errorlog", (dir / "binary.log").string()}, 1},
    };
    zul::test::RunOptions quick;
    quick.timeoutSeconds = 10;
    for (const auto& [args, rc] : cases) {
        const ProcessResult r = runZulmarin(dir, args, quick);
        EXPECT_EQ(r.rc, rc) << args[0] << ' ' << args[1];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(zul::isPlainText(r.err.substr(0, r.err.find('\n')))) << r.err;
    }
    EXPECT_EQ(runZulmarin(dir, {"macro", "print", (dir / "pipe.cro").string()}).err,
              "zulmarin: cannot read the macro file " + (dir / "pipe.cro").string() + ": it is a named pipe\n");
    EXPECT_EQ(runZulmarin(dir, sun("2024-12-31", "-90", "180", "14")).rc, 0); // the ends of the ranges

    // A macro file's own escape sequences reach the terminal as text.
    zul::test::writeFile(dir / "esc.cro", "\"0110000000000000\x1b]0;owned\x07\"\r\n");
    const ProcessResult shown = runZulmarin(dir, {"macro", "show", (dir / "esc.cro").string()});
    EXPECT_EQ(shown.rc, 1);
    EXPECT_NE(shown.out.find("0110000000000000\\x1b]0;owned\\x07  (line 1:"), std::string::npos) << shown.out;
}

TEST(CommandLine, RunPlaysTheMacroWithItsPausesOnTheSimulatedTransmitter) {
    TempDir dir;
    zul::test::writeFile(dir / "t.cro",
                         "\"01100000000000000001\"\r\n\"011100000001000000.2\"\r\n\"011000000010000000.3\"\r\n");
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
    // then 70 ms settle and 40 ms of bits of the next frame. A pause is never
    // cut short; a loaded machine (or a sanitizer) may only make it longer.
    const auto gapIs = [&](std::size_t i, double seconds) {
        EXPECT_GT(at[i + 1] - at[i], seconds - 0.03) << r.out;
        EXPECT_LT(at[i + 1] - at[i], seconds + 0.3) << r.out;
    };
    gapIs(1, 1.0 + 0.11);
    gapIs(2, 0.25 + 0.11); // 0.2 s: the wait is 0.15 s at least
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
    // A file's name with escape sequences is printed as text.
    const std::string hostile = (dir / "a\x1b]0;x\x07.cro").string();
    ASSERT_EQ(runZulmarin(dir, {"macro", "write", hostile, "A,1,ON"}).rc, 0);
    EXPECT_TRUE(runZulmarin(dir, {"macro", "print", hostile}).out.starts_with("\r\n   a\\x1b]0;x\\x07.cro\r\n"));

    const ProcessResult printed = runZulmarin(dir, {"macro", "print", cro, "--pdf", pdf});
    ASSERT_EQ(printed.rc, 0) << printed.err;
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
    const std::string extracted = (dir / "wake.txt").string();
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + extracted + "'").c_str()), 0);
    const std::string words = zul::test::readFile(extracted);
    for (const char* expected : {"wake.cro", "Cnt", "HC", "Total Runtime = 2m 10.3s", "0125", "130.3", "Printed on"})
        EXPECT_NE(words.find(expected), std::string::npos) << expected << "\n" << words;
}

TEST(CommandLine, UnitsListsAndSetsTheDescriptions) {
    TempDir dir;
    EXPECT_EQ(runZulmarin(dir, {"units"}).out, "");
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "p16", "Cellar"}).rc, 0);
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "A3", "Porch light"}).rc, 0);
    EXPECT_EQ(runZulmarin(dir, {"units"}).out, "A3  Porch light\nP16 Cellar\n");
    const ProcessResult tooLong = runZulmarin(dir, {"units", "describe", "A3", std::string(200, 'x')});
    EXPECT_EQ(tooLong.rc, 2);
    EXPECT_EQ(tooLong.err, "zulmarin: the description is too long: 136 characters fit\n");
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "A3", ""}).rc, 0);
    EXPECT_EQ(runZulmarin(dir, {"units"}).out, "P16 Cellar\n");
    // Appliance marks live beside the record store, which keeps its format.
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "A2", "Pump", "--appliance"}).rc, 0);
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "p16", "Cellar", "--appliance"}).rc, 0);
    EXPECT_EQ(zul::test::readFile(dir / "home" / "appliances.zul"), "\"A2\"\r\n\"P16\"\r\n");
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "A2", "Pump", "--lamp"}).rc, 0);
    EXPECT_EQ(zul::test::readFile(dir / "home" / "appliances.zul"), "\"P16\"\r\n");
    EXPECT_EQ(runZulmarin(dir, {"units", "describe", "A2", "Pump", "--lamp", "--appliance"}).rc, 2);

    // A description another program put into the store is listed as text.
    {
        zul::RecordStore records;
        ASSERT_TRUE(records.open(dir / "home" / "db.zld"));
        ASSERT_TRUE(records.writeRecord(3,
                                        "A3## \x1b[2J\xc2\x9b"
                                        "1m\xe2\x80\xae"
                                        "x",
                                        true));
    }
    EXPECT_EQ(runZulmarin(dir, {"units"}).out, "A2  Pump\n"
                                               "A3  \\x1b[2J\\xc2\\x9b1m\\xe2\\x80\\xaex\nP16 Cellar\n");
}

TEST(SerialEndToEnd, SendClocksTheFrameOutOnTheModemLines) {
    TempDir dir;
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const auto log = dir / "modem.log";
    const ProcessResult r = runZulmarin(dir, {"send", "A", "3", "ON", "--port", pty.slave}, zul::test::modemShim(log));
    ASSERT_EQ(r.rc, 0) << r.err;
    int changes = 0;
    const auto decoded = zul::test::decodeModemLog(log, &changes);
    EXPECT_GE(changes, 160);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].text, "A3 ON");
}

TEST(CommandLine, TimersListsWhenEachTimerRunsNextAndReportsAFileItCannotUse) {
    TempDir dir;
    std::filesystem::create_directories(dir / "home");
    zul::test::writeFile(dir / "home" / "tmrdat.zul", "\"porch.cro*7:00:00*Weekdays\"\r\n"
                                                      "\"\"\r\n"
                                                      "\"B 2 OFF*23:59:59*Never\"\r\n"
                                                      "\"A 1 ON*8:00:00*Sometimes\"\r\n");
    const ProcessResult r =
        runZulmarin(dir, {"timers", "list", "--at", "2024-05-03 14:00:00"}, std::vector<std::string>{"TZ=UTC"});
    EXPECT_EQ(r.rc, 1); // the unknown days rule
    EXPECT_EQ(r.out, "Timers of " + (dir / "home" / "tmrdat.zul").string() +
                         "\n"
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
