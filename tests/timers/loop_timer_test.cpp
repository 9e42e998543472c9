#include <gtest/gtest.h>

#include "timer_rig.h"

using namespace zul;
using namespace zul::test;

namespace {

const std::string kA1On2s = "01100000000000002.00";
const std::string kRunning = "Loop Timer : (loop.cro)\r\n     Running ... ";

// A rig with the loop macro "loop.cro" (rows as given) and the loop's settings.
struct LoopRig : TimerRig {
    LoopRig(DateTime start, const std::vector<std::string>& rows, const std::string& days = "Everyday",
            bool running = true)
        : TimerRig(start) {
        writeFile(home / "loop.cro", quotedLines(rows));
        settings.write(Setting::LoopEntry, "loop.cro");
        settings.write(Setting::LoopDays, days);
        settings.write(Setting::LoopRunning, running ? "1" : "0");
    }
    LoopTimer& loopTimer() { return service.loopTimer(); }
    const TimerStatusLine& status() { return service.log().loopStatus(); }
    std::size_t frames() { return service.shared().frameQueue.size(); }

    // The gaps in ms between the frames queued within the next forMs.
    std::vector<std::int64_t> frameGaps(std::int64_t forMs) {
        std::vector<std::int64_t> times, gaps;
        for (std::size_t seen = frames(); forMs-- > 0;) {
            loop.runFor(1);
            for (; seen < frames(); ++seen) times.push_back(clock.monotonicMicros() / 1000);
        }
        for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
        return gaps;
    }
};

} // namespace

TEST(LoopWindow, StrictAtBothEdgesAndNeverAcrossMidnight) {
    struct Case {
        const char *start, *end;
        int second;
        bool open;
    };
    const Case cases[] = {
        {"8:00:00", "17:00:00", 8 * 3600, false},  {"8:00:00", "17:00:00", 17 * 3600 - 1, true},
        {"8:00:00", "17:00:00", 17 * 3600, false}, {"8:00:00 AM", "5:00:00 PM", 17 * 3600 - 1, true},
        {"22:00:00", "6:00:00", 23 * 3600, false}, {"not a time", "6:00:00", 3600, false},
    };
    LoopTimerFields w;
    w.useStartEnd = true;
    for (const Case& c : cases) {
        w.startTime = c.start;
        w.endTime = c.end;
        EXPECT_EQ(loopWindowOpen(w, c.second), c.open) << c.start << "-" << c.end << " at " << c.second;
    }
    w.useStartEnd = false;
    EXPECT_TRUE(loopWindowOpen(w, 3600));
}

TEST(LoopTimer, WaitsAtLeastOnePointZeroFiveSecondsPerRowLessTheBlinkWhenFlashing) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {"01100000000000000.50", "01100000000000003.00"});
    rig.load({});
    ASSERT_TRUE(rig.loopTimer().enabled());
    // 0.5 s becomes 1.05 s; 3 s stays 3 s (plus the 5 ms settle after queueing).
    const auto gaps = rig.frameGaps(9000);
    ASSERT_GE(gaps.size(), 3u);
    EXPECT_EQ(gaps[0], 1055);
    EXPECT_EQ(gaps[1], 3005);
    EXPECT_EQ(gaps[2], 1055);
    EXPECT_EQ(rig.service.shared().frameQueue.front(), "1101010110101010011000000000000010101101");
    EXPECT_EQ(rig.status().text, kRunning);
    EXPECT_EQ(rig.status().colour, 0xFFFF00u);

    // Flashing takes its blink off the pause.
    LoopRig flash(DateTime{2024, 6, 3, 12, 0, 0}, {kA1On2s});
    flash.settings.write(Setting::LoopFlash, "1");
    std::vector<bool> lamp;
    flash.loopTimer().lamp = [&](bool lit) { lamp.push_back(lit); };
    flash.load({});
    const auto flashGaps = flash.frameGaps(6000);
    ASSERT_GE(flashGaps.size(), 2u);
    EXPECT_EQ(flashGaps[0], 1805);
    EXPECT_EQ(lamp.size(), 2 * (flashGaps.size() + 1));
    EXPECT_EQ(lamp[0], true);
    EXPECT_EQ(lamp[1], false);
}

TEST(LoopTimer, RunsOnlyInsideItsWindowAndFinishesAPassBeforeStopping) {
    LoopRig rig(DateTime{2024, 6, 3, 7, 59, 58}, {kA1On2s, kA1On2s});
    rig.settings.write(Setting::LoopUseStartEnd, "1");
    rig.settings.write(Setting::LoopStartTime, "8:00:00");
    rig.settings.write(Setting::LoopEndTime, "8:00:06");
    rig.load({});
    rig.runUntilWall(DateTime{2024, 6, 3, 8, 0, 0});
    EXPECT_EQ(rig.frames(), 0u);
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Set for 8:00:00 to 8:00:06. Not Running");
    rig.runUntilWall(DateTime{2024, 6, 3, 8, 0, 30});
    // Passes start after 8:00:01 and 8:00:05; the second one completes after 8:00:06.
    EXPECT_EQ(rig.frames(), 4u);
}

TEST(LoopTimer, WeekdaysLoopFinishesFridaysPassAfterMidnightThenWaitsForMonday) {
    LoopRig rig(DateTime{2024, 6, 7, 23, 59, 57}, {kA1On2s, kA1On2s, kA1On2s}, "Weekdays"); // Friday
    rig.load({});
    rig.runUntilWall(DateTime{2024, 6, 8, 0, 1, 0});
    EXPECT_EQ(rig.frames(), 3u); // the last row went out on Saturday
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Set for Weekdays only: Stopped for Weekend ");
    EXPECT_EQ(rig.status().colour, 0x0000FFu);
    rig.clock.setNow(DateTime{2024, 6, 9, 23, 59, 59}); // Sunday night
    rig.loop.runFor(1000);
    EXPECT_EQ(rig.frames(), 3u);
    rig.loop.runFor(2000);
    EXPECT_EQ(rig.frames(), 4u);
    EXPECT_EQ(rig.status().text, kRunning);
}

TEST(LoopTimer, EnableNeedsDaysAndAMacroFileAndClearAsksFirst) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {kA1On2s}, "not set", false);
    rig.load({});
    auto& lt = rig.loopTimer();
    lt.setEnabled(true);
    EXPECT_FALSE(lt.enabled());
    EXPECT_FALSE(lt.chooseDays(DaysRule::OneTime)); // not offered for the loop
    ASSERT_TRUE(lt.chooseDays(DaysRule::Everyday));
    const TimerStatusLine before = rig.status();
    lt.setEnabled(true);
    EXPECT_TRUE(lt.enabled());
    EXPECT_EQ(rig.settings.read(Setting::LoopRunning), "1");
    rig.loop.runFor(1000);
    EXPECT_EQ(rig.status().text, kRunning);
    // "Not Running" looks the same after a run as before it.
    lt.setEnabled(false);
    EXPECT_EQ(rig.status().text, before.text);
    EXPECT_EQ(rig.status().colour, before.colour);
    EXPECT_EQ(before.text, "Loop Timer : (loop.cro)\r\n     Not Running");
    lt.setEnabled(true);

    rig.dialogs.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(lt.clear(true));
    EXPECT_TRUE(lt.enabled());
    EXPECT_TRUE(lt.clear(true));
    EXPECT_EQ(rig.dialogs.last().text, "Are you sure you want to clear the 'Loop' timer?");
    EXPECT_FALSE(lt.enabled());
    EXPECT_EQ(rig.service.table().loop().days, DaysRule::NotSet);
    EXPECT_EQ(rig.settings.read(Setting::LoopRunning), "0");
    EXPECT_FALSE(lt.chooseDays(DaysRule::Weekdays));
    EXPECT_EQ(rig.dialogs.last().text, "Loop timer must contain a macro to activate!");
}

TEST(LoopTimer, AMissingMacroFileClearsTheBoxAndTheShownWindowSaysWhy) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {kA1On2s}, "Everyday", false);
    rig.load({});
    std::filesystem::remove(rig.home / "loop.cro");
    rig.service.setWindowShown(true);
    rig.loopTimer().setEnabled(true);
    EXPECT_FALSE(rig.loopTimer().enabled());
    EXPECT_FALSE(rig.loopTimer().tick().enabled());
    ASSERT_EQ(rig.dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    EXPECT_EQ(rig.dialogs.last().text, "The macro for the Loop Timer was not found!");
    EXPECT_EQ(rig.dialogs.last().title, "Loop Cannot Start");
    EXPECT_EQ(rig.settings.read(Setting::LoopRunning), "0");
}
