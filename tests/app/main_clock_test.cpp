#include "app/main_clock.h"
#include "app_fixture.h"

namespace zul::test {
namespace {

class MainClockTest : public AppFixture {
protected:
    void weekly(int day, int hour) {
        writeSetting(app->settings, Setting::UpdateCheck, "1");
        writeSetting(app->settings, Setting::UpdateCheckDay, std::to_string(day));
        writeSetting(app->settings, Setting::UpdateCheckHour, std::to_string(hour));
        writeFile(app->folder / "update", "#!/bin/sh\n");
        app->mainClock->start();
    }
    // Lets the clock tick on from the given local time.
    void runAt(const DateTime& t, int ms) {
        clock.setNow(t);
        loop.runFor(ms);
    }
    std::size_t updaterStarts() const { return desktop.started.size(); }
};

TEST_F(MainClockTest, WeeklyCheckRunsOnceOnTheCheckDayAndOnceOnTheDayAfter) {
    weekly(2, 19); // Monday from 19:00
    runAt(DateTime{2024, 6, 3, 18, 58, 0, 0}, 110000);
    EXPECT_EQ(updaterStarts(), 0u);
    runAt(DateTime{2024, 6, 3, 19, 0, 0, 0}, 120000);
    EXPECT_EQ(updaterStarts(), 1u);
    EXPECT_EQ(readSetting(app->settings, Setting::UpdateCheckType), "autocheck");
    EXPECT_EQ(app->settings.read(Setting::UpdateChecked), "True");
    runAt(DateTime{2024, 6, 4, 18, 0, 0, 0}, 60000); // Tuesday: the flag is reset
    EXPECT_EQ(app->settings.read(Setting::UpdateChecked), "False");
    EXPECT_EQ(updaterStarts(), 1u);
    runAt(DateTime{2024, 6, 4, 19, 30, 0, 0}, 180000);
    EXPECT_EQ(updaterStarts(), 2u);
    runAt(DateTime{2024, 6, 5, 20, 0, 0, 0}, 120000); // Wednesday: nothing
    EXPECT_EQ(updaterStarts(), 2u);
    // Saturday has no day after.
    writeSetting(app->settings, Setting::UpdateCheckDay, "7");
    runAt(DateTime{2024, 6, 9, 20, 0, 0, 0}, 120000); // Sunday
    EXPECT_EQ(updaterStarts(), 2u);
    runAt(DateTime{2024, 6, 8, 20, 0, 0, 0}, 60000); // Saturday
    EXPECT_EQ(updaterStarts(), 3u);
}

TEST_F(MainClockTest, TheFirstQuestionIsAskedAfterThirtySecondsWhenAnUpdaterExists) {
    app->mainClock->start();
    loop.runFor(60000);
    EXPECT_TRUE(dialogs.shown.empty()); // no updater program: nothing to agree to

    writeFile(app->folder / "update", "#!/bin/sh\n");
    dialogs.answers.push_back(Answer::Yes);
    loop.runFor(31000);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Question), 1u);
    EXPECT_EQ(dialogs.last().title, "Automatic Check for Updates?");
    EXPECT_EQ(dialogs.last().text,
              "Would you like to automatically check for updates once a week?\nThis setting can be changed anytime "
              "by clicking Menu ->\nSetup Preferences, and then the Advanced tab.");
    EXPECT_EQ(app->settings.read(Setting::UpdateCheck), "1");
    EXPECT_EQ(readSetting(app->settings, Setting::UpdateCheckDay), "2");
    EXPECT_EQ(app->settings.read(Setting::UpdateCheckHour), "12");
}

TEST_F(MainClockTest, NeverCheckingAsksNothingAndStartsNothingButTheMenuStillChecks) {
    app->mainClock->checkOnlineForUpgrade(); // no updater: the user is told
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    writeSetting(app->settings, Setting::UpdateCheck, "0");
    writeFile(app->folder / "update", "#!/bin/sh\n");
    app->mainClock->start();
    loop.runFor(120000);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(updaterStarts(), 0u);
    app->mainClock->checkOnlineForUpgrade();
    EXPECT_EQ(updaterStarts(), 1u);
    EXPECT_EQ(readSetting(app->settings, Setting::UpdateCheckType), "manual");
}

TEST_F(MainClockTest, TimeInTheUsersStyleLampBlinksWhileFlashingAndIndicatorWhileATimerRuns) {
    auto& c = *app->mainClock;
    c.start();
    loop.runFor(1600);
    EXPECT_EQ(c.clockText(), "12:00:01");
    clock.setUses24Hour(false);
    loop.runFor(500);
    EXPECT_EQ(c.clockText(), "12:00:02 PM");
    c.startFlash();
    loop.runFor(60);
    EXPECT_TRUE(c.lampLit());
    loop.runFor(50);
    EXPECT_FALSE(c.lampLit());
    loop.runFor(50);
    c.stopFlash();
    EXPECT_FALSE(c.lampLit());
    c.setTimerRunning(true);
    loop.runFor(800);
    EXPECT_EQ(c.indicatorText(), "Timer Running");
    loop.runFor(750);
    EXPECT_EQ(c.indicatorText(), "");
    loop.runFor(750);
    c.setTimerRunning(false);
    EXPECT_EQ(c.indicatorText(), "");
}

} // namespace
} // namespace zul::test
