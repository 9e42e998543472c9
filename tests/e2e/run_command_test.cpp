// "zulmarin run": a macro file played through the built binary on the
// simulated transmitter, on the real clock.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Result {
    int rc = -1;
    std::string out;
};

Result runZulmarin(const std::string& args) {
    Result r;
    const std::string command = std::string(ZUL_BINARY_DIR "/zulmarin ") + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[256];
    while (fgets(buf, sizeof buf, pipe)) r.out += buf;
    const int status = pclose(pipe);
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

struct Signal {
    double seconds = 0;
    std::string text;
};

std::vector<Signal> parse(const std::string& out) {
    std::vector<Signal> signals;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Signal s;
        if (fields >> s.seconds && std::getline(fields >> std::ws, s.text)) signals.push_back(s);
    }
    return signals;
}

} // namespace

TEST(RunCommand, PlaysTheMacroWithItsPausesOnTheSimulatedTransmitter) {
    zul::test::TempDir dir;
    zul::test::writeFile(dir / "t.cro", "\"01100000000000000001\"\r\n\"011100000001000000.2\"\r\n\"011000000010000000.3\"\r\n");
    const Result r = runZulmarin("run " + (dir / "t.cro").string() + " --port sim");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto s = parse(r.out);
    std::vector<std::string> texts;
    for (const auto& x : s) texts.push_back(x.text);
    ASSERT_EQ(texts, (std::vector<std::string>{"lead-in", "A1 ON", "B2 ON", "A1 OFF", "trailer", "trailer"})) << r.out;
    // After a frame: 0.05 s, the pause less 0.1 s (at least 0.15 s), 0.05 s,
    // then 70 ms settle and 40 ms of bits of the next frame.
    EXPECT_NEAR(s[2].seconds - s[1].seconds, 1.0 + 0.11, 0.06);
    EXPECT_NEAR(s[3].seconds - s[2].seconds, 0.25 + 0.11, 0.06);  // 0.2 s: the wait is 0.15 s at least
    EXPECT_LT(s[1].seconds, 0.4);
}

TEST(RunCommand, BadInputIsReportedWithStatusTwo) {
    zul::test::TempDir dir;
    EXPECT_EQ(runZulmarin("run " + (dir / "missing.cro").string() + " --port sim").rc, 2);
    EXPECT_EQ(runZulmarin("run --port sim").rc, 2);
    zul::test::writeFile(dir / "junk.cro", "hello\r\n");
    const Result junk = runZulmarin("run " + (dir / "junk.cro").string() + " --port sim");
    EXPECT_EQ(junk.rc, 2);
    EXPECT_NE(junk.out.find("junk.cro:1:"), std::string::npos) << junk.out;
    EXPECT_EQ(runZulmarin("run --help").rc, 0);
}
