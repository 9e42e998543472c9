#include "timers/timer_file.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

using test::readFile;
using test::ScriptedDialogs;
using test::TempDir;
using test::writeFile;

struct TimerFileTest : ::testing::Test {
    TempDir dir;
    MemorySettings settings;
    ScriptedDialogs dialogs;
    TimerTable table{dir.path()};

    std::string file() const { return readFile(dir / "tmrdat.zul"); }
    void load(const std::string& bytes) {
        writeFile(dir / "tmrdat.zul", bytes);
        ASSERT_FALSE(loadTimerTable(table, settings));
    }
};

TEST_F(TimerFileTest, SavesTheSunsetExampleAndEmptyRowsByteExactAndReadsThemBack) {
    table.setEntry(0, "C:\\Macros\\Porch.cro");
    table.setStart(0, "SS+30");
    table.setDays(0, DaysRule::Everyday);
    table.setEntry(2, "A 5 ON");
    table.setStart(2, "7:00:00 PM");
    table.setDays(2, DaysRule::FriSat);
    table.setStart(3, "19:30:00"); // no entry: written with an empty first field
    auto result = saveTimerTable(table, settings, &dialogs);
    EXPECT_FALSE(result.fileError);
    EXPECT_EQ(file(), "\"C:\\Macros\\Porch.cro*SS+30*Everyday\"\r\n"
                      "\"**not set\"\r\n"
                      "\"A 5 ON*7:00:00 PM*Fri & Sat\"\r\n"
                      "\"*19:30:00*not set\"\r\n"
                      "\"**not set\"\r\n"
                      "\"**not set\"\r\n");
    EXPECT_FALSE(table.unsaved());
    EXPECT_EQ(settings.read(Setting::TimerCount), "6");
    // Read back and saved again, the file is the same byte for byte.
    const std::string first = file();
    TimerTable again(dir.path());
    loadTimerTable(again, settings);
    saveTimerTable(again, settings, nullptr);
    EXPECT_EQ(file(), first);
}

// (The timer window's tests check the loop's other keys.)
TEST_F(TimerFileTest, EightTimersWriteEightLinesAndTheLoopDays) {
    settings.write(Setting::TimerCount, "8");
    load("");
    ASSERT_EQ(table.count(), 8);
    table.loop().days = DaysRule::Weekdays;
    saveTimerTable(table, settings, nullptr,
                   {[](const std::string& s) { return s == "not set" ? "nicht gesetzt" : s; }});
    std::string expected;
    for (int i = 0; i < 8; ++i) expected += "\"**nicht gesetzt\"\r\n";
    EXPECT_EQ(file(), expected);
    EXPECT_EQ(settings.read(Setting::LoopDays), "Weekdays");
}

TEST_F(TimerFileTest, LoadsFieldsAndRunEntries) {
    load("\"C:\\Macros\\Porch.cro*SS+30*Everyday\"\r\n"
         "\"Porch*7:00:00*Never\"\r\n"
         "\"GROUP 3 ON**Weekdays\"\r\n" // no start time: not set, whatever the file says
         "\"/opt/x.cro*SR-10*Sun - Thu\"\r\n");
    EXPECT_EQ(table.timer(0).start, "SS+30");
    EXPECT_EQ(table.timer(0).days, DaysRule::Everyday);
    EXPECT_EQ(table.runEntries()[0], "C:\\Macros\\Porch.cro");
    EXPECT_EQ(table.runEntries()[1], (dir.path() / "Porch").string());
    EXPECT_EQ(table.runEntries()[3], "/opt/x.cro");
    EXPECT_EQ(table.runEntries()[4], " "); // an empty entry never touched the list
    EXPECT_EQ(table.startTimes(), std::vector<std::string>(6, " "));
    EXPECT_EQ(table.timer(2).days, DaysRule::NotSet);
    EXPECT_EQ(table.timer(3).days, DaysRule::SunThu);
    EXPECT_FALSE(table.unsaved());
}

TEST_F(TimerFileTest, SeparatorStarWinsOverCommaAndOlderCommaFilesRead) {
    load("\"Kitchen, back.cro*7:00:00*Weekends\"\r\n");
    EXPECT_EQ(table.timer(0).entry, "Kitchen, back.cro");
    EXPECT_EQ(table.timer(0).days, DaysRule::Weekends);

    load("\"Porch,7:00:00,Fri & Sat\"\r\n\"My, Files\\x.cro,8:00:00,Everyday\"\r\n");
    EXPECT_EQ(table.timer(0).entry, "Porch");
    EXPECT_EQ(table.timer(0).start, "7:00:00");
    EXPECT_EQ(table.timer(0).days, DaysRule::FriSat);
    EXPECT_EQ(table.timer(1).entry, "My, Files\\x.cro"); // the entry keeps its comma
    EXPECT_EQ(table.timer(1).start, "8:00:00");
}

TEST_F(TimerFileTest, HandWrittenUnquotedLfFilesShortAndSurplusLines) {
    // LF line ends, no quotes, no final line end, a short line and a rule in odd case.
    load("Porch*7:00:00*everyday\nA 1 ON\n*8:00:00\nHall*9:00:00*Daily");
    EXPECT_EQ(table.timer(0).days, DaysRule::Everyday);
    EXPECT_EQ(table.timer(1).days, DaysRule::NotSet);
    EXPECT_EQ(table.timer(2).start, "8:00:00");
    EXPECT_EQ(table.timer(3).entry, "Hall");          // the last line counts without a line end
    EXPECT_EQ(table.timer(3).days, DaysRule::NotSet); // unknown rule never runs

    // Surplus empty lines are ignored; a surplus timer grows the table so saving keeps it.
    std::string bytes;
    for (int i = 0; i < 9; ++i) bytes += "\"**not set\"\r\n";
    load(bytes);
    EXPECT_EQ(table.count(), 6);
    bytes += "\"Late*7:00:00*Everyday\"\r\n";
    load(bytes);
    ASSERT_EQ(table.count(), 10);
    EXPECT_EQ(table.timer(9).entry, "Late");

    bytes.clear();
    for (int i = 0; i < 130; ++i) bytes += "\"M*7:00:00*Everyday\"\r\n";
    load(bytes);
    EXPECT_EQ(table.count(), 100);
}

TEST_F(TimerFileTest, MissingFileIsCreatedEmptyAndTimersStayNotSet) {
    table.setEntry(0, "Stale");
    ASSERT_FALSE(loadTimerTable(table, settings));
    EXPECT_TRUE(std::filesystem::exists(dir / "tmrdat.zul"));
    EXPECT_EQ(file(), "");
    EXPECT_EQ(table.timer(0).entry, "");
    EXPECT_EQ(table.timer(0).days, DaysRule::NotSet);
}

TEST_F(TimerFileTest, AFailedWriteKeepsTheChangesUnsavedAndTextsThatWouldBreakTheFileAreCleaned) {
    std::filesystem::create_directory(dir / "tmrdat.zul");
    table.setEntry(0, "a*b\"c\r\nd");
    EXPECT_EQ(table.timer(0).entry, "abcd");
    EXPECT_TRUE(saveTimerTable(table, settings, nullptr).fileError);
    EXPECT_TRUE(table.unsaved());
    EXPECT_TRUE(loadTimerTable(table, settings)); // nor is the folder read as an empty file
}

TEST_F(TimerFileTest, StartConflictWarningAndSaveRegardless) {
    table.setDueTime(0, "7:00:00");
    table.setDueTime(3, "7:00:01");
    auto result = saveTimerTable(table, settings, &dialogs);
    EXPECT_FALSE(result.fileError);
    ASSERT_TRUE(result.conflict);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    EXPECT_EQ(dialogs.last().title, "Timer Conflict");
    EXPECT_EQ(dialogs.last().text, "Timer 1 and Timer 4 have a start time conflict.\r\n"
                                   "Start times should be at least 2 seconds apart!");
    EXPECT_TRUE(std::filesystem::exists(dir / "tmrdat.zul"));

    table.setDueTime(3, "7:00:02");
    EXPECT_FALSE(saveTimerTable(table, settings, &dialogs).conflict);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 1u);
}

TEST(StartConflict, ComparesAsTimesOfDayAcrossStylesAndMidnight) {
    using V = std::vector<std::string>;
    auto pair = [](const V& v) {
        auto c = findStartConflict(v);
        return c ? std::to_string(c->first) + "," + std::to_string(c->second) : std::string("none");
    };
    EXPECT_EQ(pair({"7:00:00 PM", " ", "19:00:01"}), "0,2"); // a blank between does not end the scan
    EXPECT_EQ(pair({"11:59:59 PM", "0:00:00"}), "0,1");
    EXPECT_EQ(pair({"12:00:00 AM", "0:00:00"}), "0,1");
    EXPECT_EQ(pair({"Error", "Error", "7:00:00", "7:00:02", "7:00:03"}), "3,4");
    EXPECT_EQ(pair({"7:00:00", "7:00:02", "6:59:58", " "}), "none");

    LangLookup de{[](const std::string& s) { return s == "Timer" ? std::string("Zeitgeber") : s; },
                  [](const std::string& s) { return s == "and" ? std::string("und") : s; }};
    EXPECT_EQ(startConflictMessage({1, 2}, de).substr(0, 26), "Zeitgeber 2 und Zeitgeber ");
}

TEST(TimeOfDay, ReadsBothClockStylesAndRejectsTheRest) {
    EXPECT_EQ(parseTimeOfDay("7:05:09 PM"), 19 * 3600 + 5 * 60 + 9);
    EXPECT_EQ(parseTimeOfDay("19:05:09"), 19 * 3600 + 5 * 60 + 9);
    EXPECT_EQ(parseTimeOfDay("07:05"), 7 * 3600 + 5 * 60);
    for (const char* bad : {"", " ", "Error", "SS+30", "24:00:00", "13:00:00 PM", "0:00:00 AM", "7:60:00", "-1:00:00",
                            "7:00:00 XM", "123:00", "7"})
        EXPECT_FALSE(parseTimeOfDay(bad)) << bad;
}

} // namespace
} // namespace zul
