#include <gtest/gtest.h>

#include "timer_rig.h"
#include "timers/clock_tick.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"

using namespace zul;
using zul::test::ScriptedDialogs;
using zul::test::TimerRig;

namespace {

constexpr const char* kA1On = "0110000000000000";
constexpr const char* kA1OnFrame = "1101010110101010011000000000000010101101";

// A rig with the loop macro "loop.cro" (rows as given) and the loop's settings.
struct LoopRig : TimerRig {
    LoopRig(DateTime start, const std::vector<std::string>& rows, const std::string& days = "Everyday",
            bool running = true)
        : TimerRig(start) {
        test::writeFile(home / "loop.cro", test::quotedLines(rows));
        settings.write("Macro", "LoopN", "loop.cro");
        settings.write("Macro", "LoopD", days);
        settings.write("Macro", "LoopR", running ? "1" : "0");
    }
    LoopTimer& loopTimer() { return service.loopTimer(); }
    const TimerStatusLine& status() { return service.log().loopStatus; }
    std::size_t frames() { return service.shared().lstBuffer.size(); }

    // The virtual times (ms since the call) at which frames were queued.
    std::vector<std::int64_t> frameTimes(std::int64_t forMs) {
        std::vector<std::int64_t> times;
        const std::int64_t t0 = clock.monotonicMicros();
        std::size_t seen = frames();
        for (std::int64_t t = 0; t < forMs; ++t) {
            loop.runFor(1);
            for (; seen < frames(); ++seen) times.push_back((clock.monotonicMicros() - t0) / 1000);
        }
        return times;
    }
};

std::vector<std::int64_t> gaps(const std::vector<std::int64_t>& t) {
    std::vector<std::int64_t> out;
    for (std::size_t i = 1; i < t.size(); ++i) out.push_back(t[i] - t[i - 1]);
    return out;
}

} // namespace

TEST(LoopWindow, StrictAtBothEdgesAndNeverAcrossMidnight) {
    struct Case {
        const char *start, *end;
        int second;
        bool open;
    };
    const Case cases[] = {
        {"8:00:00", "17:00:00", 8 * 3600, false},          {"8:00:00", "17:00:00", 9 * 3600, true},
        {"8:00:00", "17:00:00", 17 * 3600 - 1, true},      {"8:00:00", "17:00:00", 17 * 3600, false},
        {"8:00:00 AM", "5:00:00 PM", 17 * 3600 - 1, true}, {"8:00:00 AM", "5:00:00 PM", 17 * 3600, false},
        {"22:00:00", "6:00:00", 23 * 3600, false},         {"22:00:00", "6:00:00", 3600, false},
        {"not a time", "6:00:00", 3600, false},
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

TEST(LoopTimer, WaitsAtLeastOnePointZeroFiveSecondsPerRow) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {std::string(kA1On) + "0.50", std::string(kA1On) + "3.00"});
    rig.load({});
    ASSERT_TRUE(rig.loopTimer().enabled());
    const auto times = rig.frameTimes(9000);
    ASSERT_GE(times.size(), 4u);
    // 0.5 s becomes 1.05 s; 3 s stays 3 s (plus the 5 ms settle after queueing).
    EXPECT_EQ(gaps(times)[0], 1055);
    EXPECT_EQ(gaps(times)[1], 3005);
    EXPECT_EQ(gaps(times)[2], 1055);
    EXPECT_EQ(rig.service.shared().lstBuffer.front(), kA1OnFrame);
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Running ... ");
    EXPECT_EQ(rig.status().colour, 0xFFFF00u);
}

TEST(LoopTimer, FlashTakesItsBlinkOffThePause) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {std::string(kA1On) + "2.00"});
    rig.settings.write("Macro", "LpFl", "1");
    std::vector<bool> lamp;
    rig.loopTimer().lamp = [&](bool lit) { lamp.push_back(lit); };
    rig.load({});
    const auto times = rig.frameTimes(6000);
    ASSERT_GE(times.size(), 3u);
    EXPECT_EQ(rig.loopTimer().tick().interval(), 1800);
    EXPECT_EQ(gaps(times)[0], 1805);
    EXPECT_EQ(lamp.size(), 2 * times.size());
    EXPECT_EQ(lamp[0], true);
    EXPECT_EQ(lamp[1], false);
}

TEST(LoopTimer, RunsOnlyInsideItsWindowAndFinishesAPassBeforeStopping) {
    LoopRig rig(DateTime{2024, 6, 3, 7, 59, 58}, {std::string(kA1On) + "2.00", std::string(kA1On) + "2.00"});
    rig.settings.write("Macro", "UseLpStartEndTimes", "1");
    rig.settings.write("Macro", "LpStartTime", "8:00:00");
    rig.settings.write("Macro", "LpEndTime", "8:00:06");
    rig.load({});
    rig.runUntilWall(DateTime{2024, 6, 3, 8, 0, 0});
    EXPECT_EQ(rig.frames(), 0u);
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Set for 8:00:00 to 8:00:06. Not Running");
    rig.runUntilWall(DateTime{2024, 6, 3, 8, 0, 30});
    // Passes start after 8:00:01 and 8:00:05; the second one completes after 8:00:06.
    EXPECT_EQ(rig.frames(), 4u);
    EXPECT_NE(rig.status().text.find("Not Running"), std::string::npos);
}

TEST(LoopTimer, WeekdaysLoopFinishesFridaysPassAfterMidnightThenWaitsForMonday) {
    LoopRig rig(DateTime{2024, 6, 7, 23, 59, 57},  // Friday
                {std::string(kA1On) + "2.00", std::string(kA1On) + "2.00", std::string(kA1On) + "2.00"},
                "Weekdays");
    rig.load({});
    rig.runUntilWall(DateTime{2024, 6, 8, 0, 1, 0});
    EXPECT_EQ(rig.frames(), 3u);  // the last row went out on Saturday
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Set for Weekdays only: Stopped for Weekend ");
    EXPECT_EQ(rig.status().colour, 0x0000FFu);
    EXPECT_EQ(rig.loopTimer().tick().interval(), 1500);
    rig.clock.setNow(DateTime{2024, 6, 9, 23, 59, 59});  // Sunday night
    rig.loop.runFor(1000);
    EXPECT_EQ(rig.frames(), 3u);
    rig.loop.runFor(2000);
    EXPECT_EQ(rig.frames(), 4u);
    EXPECT_EQ(rig.status().text, "Loop Timer : (loop.cro)\r\n     Running ... ");
}

TEST(LoopTimer, EnableBoxNeedsDaysAndAMacroFile) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {std::string(kA1On) + "2.00"}, "not set", false);
    rig.load({});
    auto& lt = rig.loopTimer();
    lt.setEnabled(true);
    EXPECT_FALSE(lt.enabled());
    EXPECT_EQ(rig.settings.read("Macro", "LoopR"), "0");

    ASSERT_TRUE(lt.chooseDays(DaysRule::Everyday));
    EXPECT_FALSE(lt.chooseDays(DaysRule::OneTime));  // not offered for the loop
    int clicks = 0;
    lt.click = [&] { ++clicks; };
    lt.setEnabled(true);
    EXPECT_TRUE(lt.enabled());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(rig.settings.read("Macro", "LoopR"), "1");
    EXPECT_EQ(lt.loopPath(), (rig.home / "loop.cro").string());

    // A missing file: the box clears, and the shown window says why.
    lt.setEnabled(false);
    std::filesystem::remove(rig.home / "loop.cro");
    rig.service.setWindowShown(true);
    lt.setEnabled(true);
    EXPECT_FALSE(lt.enabled());
    EXPECT_FALSE(lt.tick().enabled());
    ASSERT_EQ(rig.dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    EXPECT_EQ(rig.dialogs.last().text, "The macro for the Loop Timer was not found!");
    EXPECT_EQ(rig.dialogs.last().title, "Loop Cannot Start");
    EXPECT_EQ(rig.settings.read("Macro", "LoopR"), "0");
}

TEST(LoopTimer, ClearAsksFirstAndDaysNeedAMacro) {
    LoopRig rig(DateTime{2024, 6, 3, 12, 0, 0}, {std::string(kA1On) + "2.00"});
    rig.load({});
    auto& lt = rig.loopTimer();
    ASSERT_TRUE(lt.enabled());
    rig.dialogs.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(lt.clear(true));
    EXPECT_TRUE(lt.enabled());
    EXPECT_TRUE(lt.clear(true));
    EXPECT_EQ(rig.dialogs.last().text, "Are you sure you want to clear the 'Loop' timer?");
    EXPECT_EQ(rig.dialogs.last().title, "Clear Timer?");
    EXPECT_FALSE(lt.enabled());
    EXPECT_EQ(lt.entryText(), "not set");
    EXPECT_EQ(rig.service.table().loop().days, DaysRule::NotSet);
    EXPECT_EQ(rig.settings.read("Macro", "LoopR"), "0");

    EXPECT_FALSE(lt.chooseDays(DaysRule::Weekdays));
    EXPECT_EQ(rig.dialogs.last().text, "Loop timer must contain a macro to activate!");
    lt.setEnabled(false);
    EXPECT_EQ(rig.status().text, "Loop Timer is Not Set!");
}
