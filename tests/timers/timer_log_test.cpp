#include "timers/timer_log.h"

#include <gtest/gtest.h>

#include "support/sim/virtual_event_loop.h"
#include "settings/settings_store.h"
#include "support/numbered.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::readFile;
using test::ScriptedDialogs;
using test::TempDir;
using test::writeFile;

// The virtual clock starts at 2024-06-03 12:00:00; the autosave below runs in its second minute.
constexpr const char* kAutosaveStart = "\"\r\n******** Timer log autosave 2024-06-03 12:02:00********\r\n\"\r\n";
constexpr const char* kAutosaveEnd = "\"\r\n******** end  autosave for 2024-06-03 12:02:00********\r\n\"\r\n";

struct TimerLogTest : ::testing::Test {
    TempDir dir;
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop{clock};
    MemorySettings settings;
    std::unique_ptr<TimerLog> log;

    void SetUp() override { open(); }
    void open() { log = std::make_unique<TimerLog>(clock, loop, settings, dir.path()); }
    std::string logFile() const { return readFile(dir / "TimerLog.log"); }
    void appendLines(int from, int to) {
        for (int i = from; i <= to; ++i) log->append(test::numbered("L", i));
    }
    static std::size_t pieces(const std::string& text) {
        std::size_t n = 1;
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
        return n;
    }
};

TEST_F(TimerLogTest, FiveHundredOneLinesStayAndFiveHundredTwoAreAutosaved) {
    appendLines(1, 500); // with the leading empty line: 501 lines, U = 500
    loop.runFor(60000);
    EXPECT_EQ(pieces(log->text()), 501u);
    EXPECT_FALSE(std::filesystem::exists(dir / "TimerLog.log"));

    log = nullptr;
    open();
    appendLines(1, 501); // 502 lines, U = 501
    std::vector<bool> busy;
    log->onAutosaveBusy = [&](bool b) { busy.push_back(b); };
    const std::int64_t before = clock.monotonicMicros();
    loop.runFor(60000);
    // Lines 101..501 stay (401 lines) after the leading line break.
    EXPECT_EQ(pieces(log->text()), 402u);
    EXPECT_EQ(log->text().substr(0, 8), "\r\nL101\r\n");
    std::string expected = kAutosaveStart;
    expected += "\"\"\r\n"; // the empty first line of the session log
    for (int i = 1; i <= 100; ++i) expected += "\"L" + std::to_string(i) + "\"\r\n";
    expected += kAutosaveEnd;
    EXPECT_EQ(logFile(), expected);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_GE(clock.monotonicMicros() - before, 61'000'000); // the one-second pause after writing
}

TEST_F(TimerLogTest, WithoutAutoSaveTheOldLinesAreDroppedButTheWindowIsCutBack) {
    log->setAutoSave(false);
    settings.write(Setting::MaxLogSize, "10");
    settings.write(Setting::KeepLogSize, "3");
    appendLines(1, 11); // U = 11
    log->append(" ");   // U = 12: a line of one blank
    loop.runFor(60000);
    // Lines 9..12 stay; the single blank comes back as an empty line pair.
    EXPECT_EQ(log->text(), "\r\nL9\r\nL10\r\nL11\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "TimerLog.log"));
}

TEST_F(TimerLogTest, TrimKeepsTheLastMaxLinesOnlyAboveTheThresholdAndReadsLfFiles) {
    auto fileOf = [](int lines) {
        std::string s;
        for (int i = 0; i < lines; ++i) s += "\"x" + std::to_string(i) + "\"\r\n";
        return s; // lines + 1 elements: the last is empty
    };
    const std::string at59003 = fileOf(59002);
    writeFile(dir / "TimerLog.log", at59003);
    loop.runFor(60000);
    EXPECT_EQ(logFile(), at59003);

    writeFile(dir / "TimerLog.log", fileOf(59003)); // 59004 elements
    loop.runFor(60000);
    const std::string trimmed = logFile();
    EXPECT_EQ(trimmed.substr(0, 8), "x4\r\nx5\r\n");
    EXPECT_EQ(pieces(trimmed), 59000u);
    EXPECT_EQ(trimmed.substr(trimmed.size() - 8), "x59002\r\n");
    EXPECT_EQ(trimmed.find('"'), std::string::npos);

    settings.write(Setting::TrimTimerLog, "0");
    writeFile(dir / "TimerLog.log", fileOf(59100));
    loop.runFor(60000);
    EXPECT_EQ(pieces(logFile()), 59101u);

    // The trim reads LF files and passes over missing ones.
    fixFileSize(dir / "none.log", 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.log"));
    writeFile(dir / "lf.log", "a\nb\nc\nd\ne\nf\ng\n"); // 8 elements
    fixFileSize(dir / "lf.log", 3);
    EXPECT_EQ(readFile(dir / "lf.log"), "f\r\ng\r\n"); // the last 3 elements: f, g and the empty end
    // A line a Windows program wrote in its code page is kept in UTF-8; UTF-8 lines stay.
    writeFile(dir / "lf.log", "a\nb\nc\nd\ne\nCaf\xE9\nK\xC3\xBC\n");
    fixFileSize(dir / "lf.log", 3);
    EXPECT_EQ(readFile(dir / "lf.log"), "Caf\xC3\xA9\r\nK\xC3\xBC\r\n");
}

TEST_F(TimerLogTest, EntriesFollowALineBreakAndClearWithAutoSaveAppendsToTheFile) {
    int changes = 0;
    log->onTextChanged = [&] { ++changes; };
    log->append("Started");
    log->append("Ended");
    EXPECT_EQ(log->text(), "\r\nStarted\r\nEnded");
    EXPECT_EQ(changes, 2);
    writeFile(dir / "TimerLog.log", "old contents\r\n");
    ASSERT_FALSE(log->clear());
    EXPECT_EQ(logFile(), "old contents\r\n"
                         "\"\r\n\r\n******** Timer log save 2024-06-03 12:00:00********\r\n\"\r\n"
                         "\"\r\nStarted\r\nEnded\"\r\n"
                         "\"******** end of log save for 2024-06-03 12:00:00********\r\n\"\r\n");
    EXPECT_EQ(log->text(), "");
    // The trim still keeps the file short.
    settings.write(Setting::MaxLogFileLines, "4");
    loop.runFor(60000);
    EXPECT_EQ(logFile(), "Ended\r\n******** end of log save for 2024-06-03 12:00:00********\r\n\r\n");

    log->setAutoSave(false);
    log->append("Gone");
    log->clear();
    EXPECT_EQ(log->text(), "");
    EXPECT_EQ(logFile().find("Gone"), std::string::npos);
}

TEST_F(TimerLogTest, AFileThatCannotBeWrittenLosesNoLinesAndIsToldOnce) {
    std::filesystem::create_directory(dir / "TimerLog.log"); // in the way of every write
    std::vector<std::string> told;
    log->saveFailed = [&](const std::string& text) { told.push_back(text); };
    settings.write(Setting::MaxLogSize, "2");
    settings.write(Setting::KeepLogSize, "1");
    appendLines(1, 5);
    const std::string before = log->text();
    loop.runFor(120000);
    EXPECT_EQ(log->text(), before);
    EXPECT_TRUE(log->unload());
    EXPECT_EQ(told, std::vector<std::string>{"the timer log cannot be saved to " + (dir / "TimerLog.log").string() +
                                             ": it is not a regular file"});
    EXPECT_TRUE(log->clear());
    EXPECT_EQ(log->text(), before);
}

// The file never outgrows what its own reader takes: the oldest lines go
// before an append would take it past 32 MB, and a file that grew past it
// (an older version let it) is cut back by the next trim.
TEST_F(TimerLogTest, TheFileStaysWithinThirtyTwoMegabytes) {
    constexpr std::size_t limit = 32 * 1024 * 1024;
    const std::string line = std::string(1022, 'x') + "\r\n";
    std::string full;
    full.reserve(limit + line.size());
    while (full.size() < limit) full += line;
    writeFile(dir / "TimerLog.log", full);
    settings.write(Setting::MaxLogSize, "2");
    settings.write(Setting::KeepLogSize, "1");
    for (int minute = 0; minute < 2; ++minute) {
        appendLines(10 * minute + 1, 10 * minute + 5);
        loop.runFor(60000);
        const std::string saved = logFile();
        EXPECT_LE(saved.size(), limit);
        EXPECT_TRUE(saved.starts_with(line));
        EXPECT_NE(saved.find("\"L" + std::to_string(10 * minute + 3) + "\"\r\n"), std::string::npos);
        EXPECT_EQ(pieces(log->text()), 3u); // moved out, not kept back
    }

    writeFile(dir / "TimerLog.log", full + line + "y\r\n");
    loop.runFor(60000);
    const std::string trimmed = logFile();
    EXPECT_LE(trimmed.size(), limit);
    EXPECT_TRUE(trimmed.starts_with(line) && trimmed.ends_with(line + "y\r\n"));
}

TEST_F(TimerLogTest, SaveAsWritesNameDotLogInTheProgramFolder) {
    ScriptedDialogs dialogs;
    EXPECT_FALSE(log->saveAs(dialogs)); // empty log: no question
    EXPECT_TRUE(dialogs.shown.empty());

    log->append("Started");
    dialogs.inputs = {"Timer", std::nullopt, "", "../escape", "Timer.log"};
    EXPECT_EQ(log->saveAs(dialogs), dir / "Timer.log");
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Input), 1u);
    EXPECT_EQ(dialogs.last().text, "Please enter a filename for the log file.");
    EXPECT_EQ(dialogs.last().title, "File Name?");
    EXPECT_NE(readFile(dir / "Timer.log").find("\"\r\nStarted\"\r\n"), std::string::npos);
    for (int refused = 0; refused < 3; ++refused) EXPECT_FALSE(log->saveAs(dialogs)); // cancelled, empty, a folder
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(log->saveAs(dialogs), dir / "Timer.log.log");
}

TEST_F(TimerLogTest, UnloadKeepsTheSessionAndStoresTheWindowChoices) {
    EXPECT_TRUE(log->autoSave()); // never stored: ticked
    log->setStatusView(false);
    writeFile(dir / "TimerLog.log", "\"earlier\"\r\n");
    log->append("Started");
    ASSERT_FALSE(log->unload());
    EXPECT_EQ(logFile().substr(0, 13), "\"earlier\"\r\n\"\r");
    EXPECT_NE(logFile().find("\"\r\nStarted\"\r\n"), std::string::npos);
    EXPECT_EQ(settings.read(Setting::TimerLogAutoSave), "1");

    settings.write(Setting::TimerLogAutoSave, "0");
    open();
    EXPECT_FALSE(log->autoSave());
    EXPECT_FALSE(log->statusView());
}

} // namespace
} // namespace zul
