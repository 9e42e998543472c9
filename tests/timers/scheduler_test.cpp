#include <gtest/gtest.h>

#include <map>

#include "timer_rig.h"

using namespace zul;
using namespace zul::test;

TEST(TimeText, OneFormatterForBothStyles) {
    EXPECT_EQ(timeOfDayText(0, true), "12:00:00 AM");
    EXPECT_EQ(timeOfDayText(12 * 3600, true), "12:00:00 PM");
    EXPECT_EQ(fixedDueText("0:05:09", true), "12:05:09 AM");
    EXPECT_EQ(fixedDueText("12:05:09 AM", false), "0:05:09");
    for (const char* never : {"07:05:09 PM", "19:05", "19:05:09 PM", "SS+30"})
        EXPECT_EQ(fixedDueText(never, true), std::nullopt) << never;
}

TEST(ClockTick, DaylightSavingIsOneWholeHourOfDaylightTime) {
    EXPECT_TRUE(daylightState({-570, 0, -60, true}).daySavings); // +9:30 zone
    EXPECT_FALSE(daylightState({-330, 0, 0, true}).daySavings);  // daylight time without a shift

    TimerRig rig(DateTime{2024, 7, 1, 12, 0, 0});
    rig.clock.setTimeZone({300, 0, -60, true}); // New York in summer
    rig.load({});
    EXPECT_EQ(rig.settings.read(Setting::DaySavings), "True");
    EXPECT_EQ(rig.service.clockTick().daylightText(), "Yes");
    rig.clock.setTimeZone({300, 0, -60, false});
    rig.loop.runFor(1000); // looked at once a second
    EXPECT_EQ(rig.settings.read(Setting::DaySavings), "False");
}

TEST(ClockTick, WeekdayFlagAndDaysColoursFollowTheDay) {
    TimerRig rig(DateTime{2024, 6, 1, 12, 0, 0}); // a Saturday
    rig.load({"a.cro*7:00:00*Weekdays", "a.cro*7:00:00*Everyday", "a.cro*7:00:00*Never", "*7:00:00*Everyday"});
    EXPECT_EQ(rig.service.shared().weekdayFlag, "0");
    EXPECT_EQ(rig.service.clockTick().daysColours()[0], 0xC0FFFFu); // not today
    EXPECT_EQ(rig.service.clockTick().daysColours()[1], 0xC0FFC0u); // runs today
    EXPECT_EQ(rig.service.clockTick().daysColours()[3], 0xE0E0E0u); // incomplete
    rig.clock.setNow(DateTime{2024, 6, 3, 0, 0, 0});                // Monday
    rig.loop.runFor(300);
    EXPECT_EQ(rig.service.shared().weekdayFlag, "1");
    EXPECT_EQ(rig.service.clockTick().daysColours()[0], 0xC0FFC0u);
}

TEST(SunDueTime, OffsetsCarryIntoTheHourAndBadOnesAreErrors) {
    const int sunset = 17 * 3600 + 45 * 60 + 10;
    const int sunrise = 6 * 3600 + 2 * 60 + 3;
    auto due = [&](const std::string& start, bool twelve = false) {
        return dueTimeFor(TimerRecord{"porch.cro", start, DaysRule::Everyday}, sunrise, sunset, twelve);
    };
    EXPECT_EQ(due("SS+30"), "18:15:10");
    EXPECT_EQ(due("SR-125"), "3:57:03");
    EXPECT_EQ(due("SS+30", true), "6:15:10 PM");
    EXPECT_EQ(due("SS+400"), "Error"); // past midnight
    EXPECT_EQ(due("SS+x5"), "Error");
    // A fixed time is due at the clock's text of it, also when written the clock's other way.
    EXPECT_EQ(due("7:00:00 PM", true), "7:00:00 PM");
    EXPECT_EQ(due("7:00:00 PM"), "19:00:00");
    EXPECT_EQ(due("07:00:00 PM"), "07:00:00 PM"); // no clock writes it: due at itself, never reached
    // Without today's sun times the previous due time stays.
    EXPECT_EQ(dueTimeFor(TimerRecord{"porch.cro", "SS", DaysRule::Everyday}, std::nullopt, std::nullopt, false),
              std::nullopt);
    // An incomplete timer is never computed.
    EXPECT_EQ(dueTimeFor(TimerRecord{"", "SS+30", DaysRule::Everyday}, sunrise, sunset, false), "SS+30");
}

// Friday to Monday (the days on which the rules differ), with a timer under
// every days rule, fixed and at sunrise/sunset. Each day is visited around
// sunrise, noon and sunset only; the jumps between are too long to catch up.
TEST(Scheduler, DaysOfTimersUnderEveryDaysRule) {
    TimerRig rig(DateTime{2003, 1, 17, 0, 0, 0}); // Friday
    rig.clock.setTimeZone({300, 0, -60, false});
    rig.setLocation("40.43", "74.01", "5"); // New York City: sunrise about 7:14, sunset about 16:56
    rig.load({"porch.cro*12:00:00*Everyday", "porch.cro*12:00:02*Weekdays", "porch.cro*12:00:04*Weekends",
              "porch.cro*12:00:06*Fri & Sat", "porch.cro*12:00:08*Sun - Thu", "porch.cro*12:00:10*Never",
              "porch.cro*12:00:12*One Time", "porch.cro*SR*Everyday", "porch.cro*SS+30*Weekdays",
              "porch.cro*SS-50*Fri & Sat", "*12:00:14*Everyday"});
    const int windows[][4] = {{7, 5, 7, 25}, {11, 59, 12, 1}, {15, 58, 16, 15}, {17, 18, 17, 35}};
    for (int day = 17; day <= 20; ++day) {
        for (const auto& w : windows) {
            rig.clock.setNow(DateTime{2003, 1, day, w[0], w[1], 0});
            rig.runUntilWall(DateTime{2003, 1, day, w[2], w[3], 0});
        }
    }
    std::map<int, std::vector<int>> byDay;
    for (const auto& s : rig.starts) {
        byDay[s.at.day].push_back(s.index);
        EXPECT_EQ(s.clockText, s.dueText) << s.index;
    }
    const std::map<int, std::vector<int>> expected{
        {17, {7, 0, 1, 3, 6, 9, 8}}, // Friday
        {18, {7, 0, 2, 3, 9}},       // Saturday
        {19, {7, 0, 2, 4}},          // Sunday
        {20, {7, 0, 1, 4, 8}},       // Monday
    };
    EXPECT_EQ(byDay, expected);
    EXPECT_EQ(rig.service.table().timer(6).days, DaysRule::Never);
}

// New York City on 15 January 2003: sunrise 07:16, sunset 16:53.
TEST(Scheduler, SunTimersFollowTheLocationSettings) {
    TimerRig rig(DateTime{2003, 1, 15, 7, 15, 0});
    rig.clock.setTimeZone({300, 0, -60, false});
    rig.setLocation("40.43", "74.01", "5");
    rig.load({"porch.cro*SR*Everyday", "porch.cro*SS+30*Weekdays"});
    EXPECT_EQ(rig.service.sunTick().sunriseText().substr(0, 6), "07:16:");
    EXPECT_EQ(rig.service.sunTick().sunsetLabel().substr(0, 13), "Sunset 16:53:");
    rig.runUntilWall(DateTime{2003, 1, 15, 7, 18, 0});
    rig.clock.setNow(DateTime{2003, 1, 15, 17, 22, 0});
    rig.runUntilWall(DateTime{2003, 1, 15, 17, 25, 0});
    ASSERT_EQ(rig.startedIndexes(), (std::vector<int>{0, 1}));
    EXPECT_EQ(rig.starts[0].clockText.substr(0, 5), "7:16:");
    EXPECT_EQ(rig.starts[1].clockText.substr(0, 6), "17:23:");
    // A change of location takes effect within a second.
    rig.settings.write(Setting::CityLongitude, "0.5");
    rig.loop.runFor(1000);
    EXPECT_NE(rig.service.sunTick().sunsetLabel().substr(0, 13), "Sunset 16:53:");
    // A stored place that is no plain number or lies off the Earth turns the
    // sun timers into errors; a comma decimal, as the location tab takes it, is fine.
    const std::pair<const SettingKey*, const char*> bad[] = {
        {&Setting::CityLongitude, "181"}, {&Setting::CityLongitude, "1e300"}, {&Setting::CityLongitude, "0x10"},
        {&Setting::CityLatitude, "-91"},  {&Setting::CityLatitude, "nan"},    {&Setting::CityZone, "15"},
    };
    for (const auto& [key, value] : bad) {
        rig.setLocation("40.43", "74,01", "5");
        rig.settings.write(*key, value);
        rig.loop.runFor(1000);
        EXPECT_TRUE(rig.service.sunTick().dueTimeIsError(0) && rig.service.sunTick().dueTimeIsError(1)) << value;
        rig.setLocation("40.43", "74,01", "5");
        rig.loop.runFor(1000);
        EXPECT_EQ(rig.service.sunTick().sunsetLabel().substr(0, 13), "Sunset 16:53:") << value;
    }
}

TEST(Scheduler, OneTimeBecomesNeverAndTheFileIsRewrittenUnlessEditsArePending) {
    TimerRig rig(DateTime{2024, 6, 3, 6, 59, 58});
    rig.load({"porch.cro*7:00:00*One Time", "hall.cro*7:00:05*One Time"});
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 0, 2});
    EXPECT_EQ(rig.startedIndexes(), std::vector<int>{0});
    EXPECT_EQ(readFile(rig.home / "tmrdat.zul"),
              "\"porch.cro*7:00:00*Never\"\r\n\"hall.cro*7:00:05*One Time\"\r\n\"**not set\"\r\n"
              "\"**not set\"\r\n\"**not set\"\r\n\"**not set\"\r\n");
    EXPECT_FALSE(rig.service.table().unsaved());

    rig.service.table().setEntry(2, "new.cro"); // an edit the user has not saved yet
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 0, 7});
    EXPECT_EQ(rig.startedIndexes(), (std::vector<int>{0, 1}));
    EXPECT_EQ(rig.service.table().timer(1).days, DaysRule::Never);
    EXPECT_NE(readFile(rig.home / "tmrdat.zul").find("hall.cro*7:00:05*One Time"), std::string::npos);
    EXPECT_TRUE(rig.service.table().unsaved());
}

// A file that cannot take the "Never" (read-only, a full disk): told once,
// in the timer log and through logError; the timer stays done for the rest
// of the run, also when the table is read again from the file that still
// says "One Time", and the save is tried again until it succeeds.
TEST(Scheduler, AOneTimeTimerWhoseNeverCannotBeSavedRunsOnlyOnceAndIsToldOnce) {
    TimerRig rig(DateTime{2024, 6, 3, 6, 59, 58});
    std::error_code refusal = std::make_error_code(std::errc::permission_denied);
    int saves = 0;
    rig.service.scheduler().saveTable = [&] {
        ++saves;
        return refusal ? refusal : saveTimerTable(rig.service.table(), rig.settings, nullptr).fileError;
    };
    std::vector<std::string> told;
    rig.service.scheduler().logError = [&](const std::string& text) { told.push_back(text); };
    rig.load({"porch.cro*7:00:00*One Time"});
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 1, 30});
    const std::string what =
        "Timer 1 ran once, but its \"Never\" cannot be saved to " + (rig.home / "tmrdat.zul").string() +
        ": Permission denied; it does not run again while Zulmarin runs, and the save is tried again";
    EXPECT_EQ(told, std::vector<std::string>{what});
    EXPECT_NE(rig.service.log().text().find("\r\n2024-06-03 07:00:00\r\n" + what + "\r\n"), std::string::npos)
        << rig.service.log().text();
    EXPECT_EQ(saves, 2); // at once, and a minute later

    rig.service.table().reset(6); // as a file that cannot be read for a while leaves it
    rig.loop.runFor(1000);
    loadTimerTable(rig.service.table(), rig.settings); // readable again, still "One Time"
    rig.clock.setNow(DateTime{2024, 6, 4, 6, 59, 58});
    rig.runUntilWall(DateTime{2024, 6, 4, 7, 0, 5});
    EXPECT_EQ(rig.startedIndexes(), std::vector<int>{0});
    EXPECT_EQ(rig.service.table().timer(0).days, DaysRule::Never);
    EXPECT_EQ(told.size(), 1u);

    refusal.clear();
    rig.loop.runFor(Scheduler::SaveRetryMs);
    EXPECT_TRUE(readFile(rig.home / "tmrdat.zul").starts_with("\"porch.cro*7:00:00*Never\"\r\n"));
    EXPECT_FALSE(rig.service.table().unsaved());
}

TEST(Scheduler, TwelveHourTimerSeenTwiceFiresOnce) {
    TimerRig rig(DateTime{2024, 6, 3, 18, 59, 50});
    rig.clock.setUses24Hour(false);
    // A time stored on the 24-hour clock (before the locale's style changed) still runs.
    rig.load({"porch.cro*7:00:00 PM*Everyday", "hall.cro*19:00:10*Everyday", "attic.cro*07:00:20 PM*Everyday"});
    rig.runUntilWall(DateTime{2024, 6, 3, 19, 1, 0});
    ASSERT_EQ(rig.starts.size(), 2u); // a text the clock never writes never matches
    EXPECT_EQ(rig.starts[0].clockText, "7:00:00 PM");
    EXPECT_EQ(rig.starts[1].clockText, "7:00:10 PM");
    EXPECT_EQ(rig.service.scheduler().lastStarted(), -1);
}

TEST(Scheduler, MasterSwitchOffStartsNothingAndLogs) {
    TimerRig rig(DateTime{2024, 6, 3, 6, 59, 0});
    rig.load({"porch.cro*7:00:00*Everyday", "hall.cro*7:01:00*Everyday"}, false);
    auto& sched = rig.service.scheduler();
    EXPECT_EQ(sched.windowTitle(), "   Setup Timers  -- Timers are Disabled!");
    sched.setMasterSwitch(true);
    EXPECT_EQ(sched.switchCaption(), "Timers ON");
    EXPECT_EQ(sched.windowTitle(), "   Setup Timers  -- Timers are Enabled!");
    sched.setMasterSwitch(false);
    EXPECT_EQ(sched.switchCaption(), "Timers OFF");
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 0, 30});
    EXPECT_TRUE(rig.starts.empty());
    EXPECT_FALSE(sched.tick().enabled());
    // Switched on again half a minute after a due second: no catching up.
    sched.setMasterSwitch(true);
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 1, 30});
    EXPECT_EQ(rig.startedIndexes(), std::vector<int>{1});
    const std::string now = rig.service.log().formatNow(DateTime{2024, 6, 3, 7, 0, 30});
    const std::string& log = rig.service.log().text();
    EXPECT_TRUE(log.ends_with("\r\n\r\nMaster Timer Enabled \r\n\t" + now + "\r\n")) << log;
    EXPECT_NE(log.find("\r\n\r\nMaster Timer Disabled \r\n\t"), std::string::npos);
}

// A stalled event loop (a slow adapter, a modal wait) used to lose the timers
// of the seconds it skipped.
TEST(Scheduler, SecondsSkippedByAStalledLoopAreCaughtUpOnce) {
    TimerRig rig(DateTime{2024, 6, 3, 7, 0, 0});
    rig.load({"a.cro*7:00:11*Everyday", "b.cro*7:00:13*Everyday", "c.cro*7:05:00*Everyday", "d.cro*7:10:30*Everyday"});
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 0, 10, 100});
    rig.loop.sleepMs(3000); // blocks without events: 7:00:11 and 7:00:12 are never seen
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 0, 20});
    ASSERT_EQ(rig.startedIndexes(), (std::vector<int>{0, 1}));
    EXPECT_EQ(rig.starts[0].clockText, "7:00:13"); // caught up late, in order
    EXPECT_EQ(rig.starts[1].clockText, "7:00:13");

    // A gap of five minutes is a machine that slept: nothing is caught up.
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 4, 50});
    rig.loop.sleepMs(5 * 60 * 1000);
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 10, 0});
    EXPECT_EQ(rig.starts.size(), 2u);
    // After the gap the scheduler goes on as before.
    rig.runUntilWall(DateTime{2024, 6, 3, 7, 11, 0});
    EXPECT_EQ(rig.startedIndexes(), (std::vector<int>{0, 1, 3}));
}

// The service with the desktop program's runner engine: a due timer's macro
// goes out through the send queue. Two timers due in the same second both
// run: the second once startTimer's
// settling pause is over, logged with the time it really started, so no
// timer is lost. The "One Time" one becomes "Never" because it did run.
TEST(TimerService, TwoTimersDueInOneSecondBothRunTheSecondLoggedWhenItStarted) {
    TimerRig rig(DateTime{2024, 6, 3, 11, 59, 58, 300});
    EngineRig engine(rig);
    writeFile(rig.home / "a.cro", quotedLines({"01100000000000000001"}));
    writeFile(rig.home / "b.cro", quotedLines({"01110000000100000001"}));
    rig.load({"a.cro*12:00:00*Everyday", "b.cro*12:00:00*One Time"});
    EXPECT_EQ(rig.service.engine(), engine.engine);
    rig.runUntilWall(DateTime{2024, 6, 3, 12, 0, 10});
    EXPECT_EQ(engine.port.commands(), (std::vector<std::string>{"A1 ON", "B2 ON"}));
    EXPECT_TRUE(rig.starts.empty()); // the stand-in was replaced
    const std::string& log = rig.service.log().text();
    EXPECT_NE(log.find("Timer 1 : (a.cro)\r\n\t: Started - 2024-06-03 12:00:00\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Timer 2 : (b.cro)\r\n\t: Started - 2024-06-03 12:00:01\r\n"), std::string::npos) << log;
    EXPECT_EQ(rig.service.table().timer(1).days, DaysRule::Never);
}
