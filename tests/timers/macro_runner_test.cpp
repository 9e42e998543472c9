#include <gtest/gtest.h>

#include "run_rig.h"
#include "support/numbered.h"

using namespace zul;
using namespace zul::test;

TEST(MacroRunner, OneRowMacroQueuesAtFirstTickAndEndsOnePauseLater) {
    RunRig rig;
    rig.timerMacro(0, "one.cro", {{A1On, "0002"}});
    rig.start(0);
    // startTimer waits 0.8 s with events running, then lets the scheduler go on.
    EXPECT_FALSE(rig.shared.StartPending);
    EXPECT_EQ(rig.ms(), 800);
    EXPECT_TRUE(rig.shared.RunnerActive);
    EXPECT_EQ(rig.log.statusLines()[0].text, "Timer 1 : (one.cro)\r\n\t: Started 12:00:00 ...running!  (mt0)");

    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 10000));
    // First tick 5 ms after the start, row queued after the 50 ms sleep, the
    // closing tick one pause (2 s) after that.
    EXPECT_EQ(rig.endOfRunAt[0], 5 + 50 + 2000);
    ASSERT_EQ(rig.frames().size(), 1u);
    EXPECT_EQ(rig.frames()[0].first, "A1 ON");
    EXPECT_EQ(rig.log.text(), CrLf + CrLf + "Timer 1 : (one.cro)" + CrLf + "\t: Started - 2024-06-03 12:00:00" + CrLf +
                                  CrLf + CrLf + "   Timer 1: Ended - 2024-06-03 12:00:02" + CrLf);
    EXPECT_EQ(rig.log.statusLines()[0].text, "Timer 1 : (one.cro)\r\n     : Started 12:00:00: Ended 12:00:02");
    EXPECT_EQ(rig.log.statusLines()[0].colour, 0x0000FFu);
    EXPECT_EQ(rig.indicator, (std::vector<bool>{true, false}));
    // The trailer pair of the end-of-run routine follows.
    rig.loop.runFor(1000);
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"A1 ON", "trailer", "trailer"}));
}

TEST(MacroRunner, FifthTimerWaitsInOverflowAndStartsOnFirstFreeRunner) {
    RunRig rig;
    const std::string codes[] = {A1On, B2On, C3On, A1Off, "1000000000000000"};
    for (int i = 0; i < 5; ++i) {
        // Timer 0 ends first (3 rows of 2 s), the others run 3 rows of 10 s.
        const std::string pause = i == 0 ? "0002" : "0010";
        rig.timerMacro(i, test::numbered("m", i, ".cro"), {{codes[i], pause}, {codes[i], pause}, {codes[i], pause}});
    }
    for (int i = 0; i < 4; ++i) rig.start(i);
    const auto busyRows = rig.engine.runner(3).rows();
    rig.start(4);

    ASSERT_EQ(rig.engine.overflowEntries().size(), 1u);
    EXPECT_EQ(rig.engine.overflowEntries()[0], "4,12:00:03," + (rig.dir / "m4.cro").string());
    EXPECT_EQ(rig.log.statusLines()[4].text,
              "Timer 5:  To many timers running...\r\nm4.cro was sent to the overflow buffer!");
    EXPECT_NE(rig.log.text().find(CrLf + CrLf + "2024-06-03 12:00:03" + CrLf +
                                  "Timer 5 was sent to overflow buffer to run next!" + CrLf),
              std::string::npos);
    // The busy runners were not touched.
    EXPECT_EQ(rig.engine.runner(3).rows(), busyRows);

    // Runner 0 ends after about 6 s; the overflow tick loads timer 5 into it.
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.engine.runner(0).timer() == 4; }, 10000));
    EXPECT_TRUE(rig.engine.overflowEntries().empty());
    EXPECT_EQ(rig.endOfRuns, 0); // other runners are still busy
    rig.loop.runFor(500);
    // Its own Started line only, showing the queued time.
    EXPECT_EQ(rig.countInLog("Timer 5 : (m4.cro)"), 1);
    EXPECT_EQ(rig.log.statusLines()[4].text, "Timer 5 : (m4.cro)\r\n\t: Started 12:00:03 ...running!  (mt0)");

    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return !rig.engine.anyRunnerActive(); }, 120000));
    EXPECT_EQ(rig.countInLog(": Started - "), 5);
    rig.loop.runFor(20000);
    EXPECT_EQ(rig.endOfRuns, 1); // only the last runner to end
    EXPECT_EQ(rig.frames().size(), 15u);
}

TEST(MacroRunner, SixtySecondsIsShortSixtyOneIsOneMinuteThenTheRest) {
    RunRig rig;
    rig.timerMacro(0, "long.cro", {{A1On, "0060"}, {A1Off, "0061"}, {B2On, "0150"}, {C3On, "0001"}});
    rig.start(0);
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 400000));
    const auto f = rig.frames();
    ASSERT_EQ(f.size(), 4u);
    // The queue adds up to one drain period of delay per frame.
    auto near = [](std::int64_t got, std::int64_t want) { return got >= want - 100 && got <= want + 100; };
    EXPECT_PRED2(near, f[1].second - f[0].second, 60000);
    EXPECT_PRED2(near, f[2].second - f[1].second, 61000);
    EXPECT_PRED2(near, f[3].second - f[2].second, 150000); // 60 000 + 60 000 + 30 000
}

TEST(MacroRunner, ZeroOrEmptyPauseKeepsThePeriodAndBadPauseIsLogged) {
    RunRig rig;
    rig.timerMacro(0, "odd.cro", {{A1On, "0002"}, {A1Off, ""}, {B2On, "0x.5"}, {C3On, "0001"}});
    rig.start(0);
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 30000));
    const auto f = rig.frames();
    ASSERT_EQ(f.size(), 4u); // the row with the bad pause is still sent
    // Row 2 has no pause: the runner ticks again after its previous period (1950 ms).
    EXPECT_NEAR(double(f[2].second - f[1].second), 1950.0, 100.0);
    EXPECT_EQ(rig.countInLog("   Bad Command = "), 1);
    EXPECT_NE(rig.log.text().find(CrLf + "Timer 1 : (odd.cro)" + CrLf + "   Bad Command = " + frameOf(B2On) + CrLf),
              std::string::npos);
}

TEST(MacroRunner, LongMacroFramesLeaveOnTimeWithoutDrift) {
    RunRig rig;
    std::vector<std::pair<std::string, std::string>> rows;
    for (int k = 0; k < 20; ++k) rows.emplace_back(k % 2 ? A1Off : A1On, "01.5");
    rig.timerMacro(0, "long.cro", rows);
    rig.start(0);
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 120000));
    const auto f = rig.frames();
    ASSERT_EQ(f.size(), 20u);
    for (std::size_t k = 0; k < f.size(); ++k) {
        // Queued at 5 + 50 + k x 1500 ms; the drain sends within its 100 ms
        // period, and a frame takes 70 ms settle + 40 ms of bits (the decoder
        // dates it at the start of its last idle state, 0.5 ms earlier).
        const std::int64_t queued = 55 + std::int64_t(k) * 1500;
        EXPECT_GE(f[k].second - queued, 109) << "frame " << k;
        EXPECT_LE(f[k].second - queued, 210) << "frame " << k;
        EXPECT_EQ(f[k].first, k % 2 ? "A1 OFF" : "A1 ON");
    }
    EXPECT_EQ(rig.endOfRunAt[0], 55 + 20 * 1500);
}

TEST(MacroRunner, BusyRunnersInterleaveFrameByFrameWithTheGap) {
    RunRig rig;
    rig.settings.write(Setting::MasterPause, "1");
    const std::string codes[] = {A1On, B2On, C3On};
    for (int i = 0; i < 3; ++i)
        rig.timerMacro(i, test::numbered("r", i, ".cro"),
                       std::vector<std::pair<std::string, std::string>>(5, {codes[i], "00.5"}));
    // The scheduler starts them from its tick, 0.2 s apart.
    for (int i = 0; i < 3; ++i) rig.loop.afterMs(200 * i, [&rig, i] { rig.start(i); });
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.frames().size() == 15; }, 60000));
    const auto f = rig.frames();
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < f.size(); ++k) {
        texts.push_back(f[k].first);
        // Each frame is followed by the "GPause" gap of 1 s; the next one takes 110 ms.
        if (k > 0) {
            EXPECT_GE(f[k].second - f[k - 1].second, 1110) << "frame " << k;
        }
    }
    // The queue sends in the order frames were queued: the runs interleave
    // frame by frame.
    std::vector<std::string> expected;
    for (int k = 0; k < 5; ++k) expected.insert(expected.end(), {"A1 ON", "B2 ON", "C3 ON"});
    EXPECT_EQ(texts, expected);
    // The runners ended long before the queue was empty: the trailer came once, last.
    rig.loop.runFor(5000);
    EXPECT_EQ(rig.endOfRuns, 1);
}

TEST(MacroRunner, SoundsFollowTheTimerWindowBoxes) {
    RunRig rig;
    writeFile(rig.dir / "tick.wav", "RIFF");
    writeFile(rig.dir / "tmrstart.wav", "RIFF");
    // Neither box was ever stored: both count as ticked, as the timer window shows them.
    rig.timerMacro(0, "s.cro", {{A1On, "0001"}, {A1Off, "0001"}, {B2On, "0001"}});
    rig.start(0);
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 30000));
    const std::string start = (rig.dir / "tmrstart.wav").string();
    const std::string tick = (rig.dir / "tick.wav").string();
    // The start sound with the first row, the command sound with each later one.
    EXPECT_EQ(rig.player.played, (std::vector<std::string>{start, tick, tick}));
}

TEST(StartTimer, MissingMacroIsReportedAndANameWithoutExtensionFindsIt) {
    RunRig rig;
    rig.table.setEntry(2, "gone.cro");
    rig.start(2);
    const std::string path = (rig.dir / "gone.cro").string();
    EXPECT_FALSE(rig.engine.anyRunnerActive());
    EXPECT_FALSE(rig.shared.StartPending);
    EXPECT_EQ(rig.log.statusLines()[2].text, "Timer 3:  File Not Found!\r\n\t" + path);
    EXPECT_EQ(rig.log.text(),
              CrLf + CrLf + "2024-06-03 12:00:00" + CrLf + "Timer 3: File Not Found!" + CrLf + "\t" + path + CrLf);

    rig.macro("evening.cro", {{A1On, "0001"}});
    rig.table.setEntry(0, "evening");
    rig.start(0);
    ASSERT_TRUE(rig.loop.runUntilTrue([&] { return rig.endOfRuns > 0; }, 10000));
    EXPECT_EQ(rig.port.decoder().texts().front(), "A1 ON");
}

TEST(SendQueue, GapSettingIsReadWithItsDefault) {
    MemorySettings s;
    for (const auto& [text, seconds] :
         std::vector<std::pair<const char*, double>>{{nullptr, 0.6}, {"1,5", 1.5}, {"abc", 0.6}, {"-2", 0.0}}) {
        if (text) s.write(Setting::MasterPause, text);
        EXPECT_DOUBLE_EQ(readGapSeconds(s), seconds) << (text ? text : "unset");
    }
}

// The drain rests while the queue is empty: a queued frame wakes it and leaves
// at once (70 ms settle + 40 ms of bits), the next one after the 0.6 s gap; a
// frame put straight into the buffer still leaves within a second; an empty
// entry does not block the queue.
TEST(SendQueue, AQueuedFrameWakesTheRestingDrainAndTheNextWaitsTheGap) {
    RunRig rig;
    rig.loop.runFor(5000);
    const std::int64_t queued = rig.ms();
    rig.shared.queueFrame(frameOf(A1On));
    rig.shared.queueFrame(frameOf(B2On));
    rig.loop.runFor(2000);
    const auto f = rig.frames();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_LE(f[0].second - queued, 115);
    EXPECT_NEAR(double(f[1].second - f[0].second), 600.0 + 110.0, 5.0);

    rig.shared.frameQueue.push_back(frameOf(C3On));
    const std::int64_t pushed = rig.ms();
    rig.loop.runFor(1200);
    ASSERT_EQ(rig.frames().size(), 3u);
    EXPECT_LE(rig.frames()[2].second - pushed, 1000 + 115);

    rig.shared.frameQueue = {"", frameOf(A1On)};
    rig.loop.runFor(2000);
    EXPECT_TRUE(rig.shared.frameQueue.empty());
    EXPECT_EQ(rig.port.decoder().texts().back(), "A1 ON");
}
