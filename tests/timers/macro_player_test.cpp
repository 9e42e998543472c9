#include <gtest/gtest.h>

#include "run_rig.h"
#include "timers/macro_player.h"

using namespace zul;
using namespace zul::test;

TEST(RowWait, EachPlayerTurnsThePauseIntoItsWait) {
    // Main window: 0.3 s waits 0.2 s; never below 0.15 s.
    EXPECT_EQ(MainWindowWait.waitMillis(300), 200);
    EXPECT_EQ(MainWindowWait.waitMillis(0), 150);
    // Run-macro window: "0005" waits 4.9 s; at least 0.05 s.
    EXPECT_EQ(RunWindowWait.waitMillis(5000), 4900);
    EXPECT_EQ(RunWindowWait.waitMillis(100), 50);
    // Timer window: less 0.12 s in hundredths, at least 0.16 s.
    EXPECT_EQ(TimerWindowWait.waitMillis(1125), 1010);
    EXPECT_EQ(TimerWindowWait.waitMillis(200), 160);
    // Macro editor: Run Macro as the main window, Test Macro the test speed;
    // the last row of either waits 0.5 s.
    EXPECT_EQ(EditorRunWait.waitMillis(5000, false), 4900);
    EXPECT_EQ(EditorRunWait.waitMillis(5000, true), 500);
    EXPECT_EQ(editorTestWait(2).waitMillis(9999000, false), 2000);
    EXPECT_EQ(editorTestWait(0).waitMillis(5000, false), 150);
    EXPECT_EQ(editorTestWait(3).waitMillis(5000, true), 500);
}

TEST(MacroPlayer, MainWindowRunTimesEachRowFromItsPauseAndStopAllEndsIt) {
    RunRig rig;
    MacroPlayer player{rig.tx, rig.loop, rig.stopAll};
    std::vector<bool> lamp;
    int sounds = 0;
    player.sendLeadIn();
    ASSERT_TRUE(player.playRows({{A1On, 300}, {A1Off, 2000}, {A1On, 100}}, MainWindowWait,
                                {[&] { ++sounds; }, [&](bool lit) { lamp.push_back(lit); }}));
    const auto& s = rig.port.decoder().decoded();
    ASSERT_EQ(s.size(), 4u); // the lead-in and three rows
    EXPECT_EQ(s[1].text, "A1 ON");
    // 0.05 s + the wait + 0.05 s + the next frame (70 ms settle, 40 ms bits).
    EXPECT_EQ((s[2].micros - s[1].micros) / 1000, 50 + 200 + 50 + 110);
    EXPECT_EQ((s[3].micros - s[2].micros) / 1000, 50 + 1900 + 50 + 110);
    EXPECT_EQ(sounds, 3);
    EXPECT_EQ(lamp, (std::vector<bool>{true, false, true, false, true, false}));

    const std::int64_t t0 = rig.ms();
    rig.loop.afterMs(1000, [&] { rig.stopAll = true; });
    EXPECT_FALSE(player.playRows({{B2On, 5000}, {A1Off, 5000}}, MainWindowWait));
    EXPECT_EQ(rig.port.decoder().texts().back(), "B2 ON");
    EXPECT_LT(rig.ms() - t0, 1100);
}
