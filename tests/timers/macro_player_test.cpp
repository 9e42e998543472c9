#include <gtest/gtest.h>

#include "platform/sim/simulated_transmitter.h"
#include "platform/sim/virtual_event_loop.h"
#include "timers/macro_player.h"

using namespace zul;

TEST(RowWait, EachPlayerTurnsThePauseIntoItsWait) {
    // Main window: 0.3 s waits 0.2 s; 1200 s waits 1199.9 s; never below 0.15 s.
    EXPECT_EQ(MainWindowWait.waitMillis(300), 200);
    EXPECT_EQ(MainWindowWait.waitMillis(1'200'000), 1'199'900);
    EXPECT_EQ(MainWindowWait.waitMillis(0), 150);
    // Run-macro window: "0005" waits 4.9 s; at least 0.05 s.
    EXPECT_EQ(RunWindowWait.waitMillis(5000), 4900);
    EXPECT_EQ(RunWindowWait.waitMillis(100), 50);
    // Timer window: less 0.12 s in hundredths, at least 0.16 s.
    EXPECT_EQ(TimerWindowWait.waitMillis(1000), 880);
    EXPECT_EQ(TimerWindowWait.waitMillis(1125), 1010);
    EXPECT_EQ(TimerWindowWait.waitMillis(300), 180);
    EXPECT_EQ(TimerWindowWait.waitMillis(200), 160);
}

namespace {
struct PlayRig {
    PlayRig() { port.open("sim"); }
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop{clock};
    sim::SimulatedTransmitter port{clock};
    bool stopAll = false;
    x10::Transmitter tx{port, loop, clock, stopAll};
    MacroPlayer player{tx, loop, stopAll};
};
const std::string A1On = "0110000000000000";
const std::string A1Off = "0110000000100000";
} // namespace

TEST(MacroPlayer, MainWindowRunTimesEachRowFromItsPause) {
    PlayRig rig;
    std::vector<bool> lamp;
    int sounds = 0;
    rig.player.sendLeadIn();
    ASSERT_TRUE(rig.player.playRows({{A1On, 300}, {A1Off, 2000}, {A1On, 100}}, MainWindowWait,
                                    {[&] { ++sounds; }, [&](bool lit) { lamp.push_back(lit); }}));
    const auto& s = rig.port.decoder().decoded();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[1].text, "A1 ON");
    // 0.05 s + the wait + 0.05 s + the next frame (70 ms settle, 40 ms bits).
    EXPECT_EQ((s[2].micros - s[1].micros) / 1000, 50 + 200 + 50 + 110);
    EXPECT_EQ((s[3].micros - s[2].micros) / 1000, 50 + 1900 + 50 + 110);
    EXPECT_EQ(sounds, 3);
    EXPECT_EQ(lamp, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(MacroPlayer, StopAllEndsTheRunAtTheNextWait) {
    PlayRig rig;
    rig.loop.afterMs(1000, [&] { rig.stopAll = true; });
    EXPECT_FALSE(rig.player.playRows({{A1On, 5000}, {A1Off, 5000}}, MainWindowWait));
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"A1 ON"}));
    EXPECT_LT(rig.clock.monotonicMicros(), 1'100'000);
}
