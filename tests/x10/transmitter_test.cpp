#include <gtest/gtest.h>

#include <algorithm>

#include "support/sim/recording_transmitter.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/settings_store.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

using namespace zul;
using namespace zul::x10;

namespace {

struct Rig {
    explicit Rig(DateTime start = DateTime{2024, 6, 3, 12, 0, 0, 0}) : clock(start), loop(clock), port(clock) {
        port.open("sim");
        port.lines().clearEvents();
    }
    double secondsSince(std::int64_t micros) const { return double(clock.monotonicMicros() - micros) / 1e6; }

    sim::VirtualClock clock;
    sim::VirtualEventLoop loop;
    sim::RecordingTransmitter port;
    bool stopAll = false;
    Transmitter tx{port, loop, clock, stopAll};
};

// Records when the thread was raised and restored, as the number of line
// changes made by then.
struct RecordingPriority : ThreadPriority {
    explicit RecordingPriority(const sim::RecordingLinePort& lines) : lines(lines) {}
    std::error_code raise() override {
        calls.push_back("raise@" + std::to_string(lines.events().size()));
        raised = !refusal;
        return refusal;
    }
    void restore() override {
        calls.push_back("restore@" + std::to_string(lines.events().size()));
        raised = false;
    }
    const sim::RecordingLinePort& lines;
    std::error_code refusal;
    std::vector<std::string> calls;
    bool raised = false;
};

// Time passes while the sender reads the clock, as it does while it waits
// busy: each read takes a microsecond.
struct BusyClock : Clock {
    explicit BusyClock(sim::VirtualClock& clock) : clock(clock) {}
    DateTime now() const override { return clock.now(); }
    TimeZoneFacts timeZone() const override { return clock.timeZone(); }
    std::int64_t monotonicMicros() const override {
        ++reads;
        clock.advanceMicros(1);
        return clock.monotonicMicros();
    }
    sim::VirtualClock& clock;
    mutable long reads = 0;
};

// Wakes from every sleep as late as late() says.
struct LateWakingLoop : EventLoop {
    explicit LateWakingLoop(sim::VirtualEventLoop& loop) : loop(loop) {}
    std::unique_ptr<Tick> createTick(std::string name, int ms, std::function<void()> handler) override {
        return loop.createTick(std::move(name), ms, std::move(handler));
    }
    void processEvents() override { loop.processEvents(); }
    void post(std::function<void()> work) override { loop.post(std::move(work)); }
    void sleepMs(int ms) override { loop.sleepMs(ms); }
    void sleepUntilMicros(std::int64_t deadline) override { loop.sleepUntilMicros(deadline + late()); }
    sim::VirtualEventLoop& loop;
    std::function<int()> late;
};

} // namespace

TEST(SendBits, OnlyTheBitsGoOutRaisedAndARefusalIsNotedOnce) {
    Rig rig;
    RecordingPriority system(rig.port.lines());
    std::vector<std::error_code> notes;
    FramePriority priority(system, [&](std::error_code e) { notes.push_back(e); });
    rig.tx.setFramePriority(&priority);
    // Events run during the settle pause, at normal priority.
    bool raisedDuringPause = false;
    auto probe = rig.loop.createTick("probe", 10, [&] { raisedDuringPause |= system.raised; });
    probe->setEnabled(true);
    rig.tx.sendBits("10");
    rig.tx.sendBits("1");
    EXPECT_EQ(system.calls, (std::vector<std::string>{"raise@0", "restore@8", "raise@8", "restore@12"}));
    EXPECT_FALSE(raisedDuringPause);
    EXPECT_TRUE(notes.empty());

    Rig refused;
    RecordingPriority denied(refused.port.lines());
    denied.refusal = std::make_error_code(std::errc::operation_not_permitted);
    FramePriority fallback(denied, [&](std::error_code e) { notes.push_back(e); });
    refused.tx.setFramePriority(&fallback);
    const X10Codes codes;
    for (int unit = 1; unit <= 3; ++unit) refused.tx.sendBits(codes.frameFor({1, unit, Action::On}));
    EXPECT_EQ(denied.calls, std::vector<std::string>{"raise@0"}); // asked once, never restored
    EXPECT_EQ(notes, std::vector<std::error_code>{denied.refusal});
    EXPECT_EQ(refused.port.decoder().texts(), (std::vector<std::string>{"A1 ON", "A2 ON", "A3 ON"}));
}

TEST(SendBits, LineSequenceOfTwoBits) {
    Rig rig;
    rig.tx.sendBits("10");
    std::vector<std::string> seen;
    for (const auto& e : rig.port.lines().events()) seen.push_back(sim::describe(e));
    EXPECT_EQ(seen, (std::vector<std::string>{"RTS high", "DTR low", "RTS high", "DTR high", "RTS low", "DTR high",
                                              "RTS high", "DTR high"}));
}

TEST(SendBits, EveryUnitAndGroupCommandDecodesBackToWhatWasSent) {
    Rig rig;
    X10Codes codes;
    std::vector<std::string> expected;
    for (int house = 1; house <= 16; ++house) {
        const std::string letter(1, houseLetter(house));
        for (int unit = 1; unit <= 16; ++unit) {
            for (Action a : {Action::On, Action::Off}) {
                rig.tx.sendBits(codes.frameFor({house, unit, a}));
                expected.push_back(letter + std::to_string(unit) + (a == Action::On ? " ON" : " OFF"));
            }
        }
        for (const char* name : {"BRI", "DIM", "ALN", "ALF", "AUF"}) {
            rig.tx.sendBits(codes.frameFor({house, 0, *parseAction(name)}));
            expected.push_back(letter + " " + name);
        }
    }
    EXPECT_EQ(rig.port.decoder().texts(), expected);
}

TEST(SendBits, EachStateHeldForTheStateTimeNeverBothLow) {
    Rig rig;
    rig.tx.setStateMicros(800);
    const std::int64_t start = rig.clock.monotonicMicros();
    rig.tx.sendBits(X10Codes().frameFor({1, 1, Action::On}));
    const auto& ev = rig.port.lines().events();
    ASSERT_EQ(ev.size(), 160u);
    // 70 ms settle, then 80 states of 800 us each.
    EXPECT_EQ(ev.front().micros - start, 70000);
    EXPECT_EQ(ev.back().micros - ev.front().micros, 79 * 800);
    EXPECT_EQ(rig.clock.monotonicMicros() - ev.front().micros, 80 * 800);
    for (const auto& e : ev) EXPECT_TRUE(e.rts || e.dtr);
    EXPECT_TRUE(rig.port.lines().rts() && rig.port.lines().dtr());
}

// A wake-up later than the busy end of a state stretches that state; the
// busy part then widens to cover such a wake-up for the rest of the frame
// and the next one, never beyond its cap, and is back to its base after a
// frame without one.
TEST(SendBits, LateWakeUpsWidenTheBusyWaitForThisFrameAndTheNextWithinACap) {
    Rig rig;
    BusyClock clock(rig.clock);
    LateWakingLoop loop(rig.loop);
    Transmitter tx(rig.port, loop, clock, rig.stopAll);
    tx.setSpinMicros(100, 150);
    const auto& ev = rig.port.lines().events();
    int lateness = 0;
    std::size_t lateFrom = 0; // late once this many line changes were made
    loop.late = [&] { return ev.size() >= lateFrom ? lateness : 0; };
    const std::string frame = X10Codes().frameFor({1, 1, Action::On});
    struct Sent {
        std::vector<std::int64_t> states; // the first 79 (the last ends with no change)
        long busy;                        // microseconds spent reading the clock
        long stretched() const {
            return std::count_if(states.begin(), states.end(), [](auto t) { return t > 502; });
        }
    };
    auto send = [&](int late, std::size_t fromState) {
        const std::size_t first = ev.size();
        lateness = late;
        lateFrom = first + 2 * fromState;
        const long reads = clock.reads;
        tx.sendBits(frame);
        Sent sent{{}, clock.reads - reads};
        for (std::size_t i = first + 3; i < ev.size(); i += 2) sent.states.push_back(ev[i].micros - ev[i - 2].micros);
        return sent;
    };
    const Sent lateInFrame = send(130, 10);
    EXPECT_EQ(lateInFrame.stretched(), 1); // the tenth state only, by 30 us
    EXPECT_NEAR(lateInFrame.states[9], 530, 3);
    EXPECT_EQ(send(130, 1).stretched(), 0); // widened from its first state
    const Sent afterLate = send(0, 0);
    const Sent quiet = send(0, 0);
    EXPECT_GT(afterLate.busy, 80 * 140);
    EXPECT_LT(quiet.busy, 80 * 100 + 500);
    const Sent veryLate = send(2000, 1);
    EXPECT_LT(veryLate.busy, 80 * 150 + 500);
    EXPECT_EQ(veryLate.stretched(), 79);
    for (const Sent& s : {lateInFrame, afterLate, quiet, veryLate})
        EXPECT_GE(*std::min_element(s.states.begin(), s.states.end()), 500);
    for (const auto& e : ev) EXPECT_TRUE(e.rts || e.dtr);
    EXPECT_EQ(rig.port.decoder().texts().size(), 5u);
}

TEST(SendBits, OnlyTheSettleTimeLetsOtherEventsRun) {
    Rig rig;
    X10Codes codes;
    const std::int64_t t0 = rig.clock.monotonicMicros();
    // A click during the settle time sends its own frame; one due while the
    // bits go out has to wait for the last of them.
    rig.loop.at(t0 + 30000, [&] { rig.tx.sendBits(codes.frameFor({2, 2, Action::On})); });
    std::size_t eventsWhenLateActionRan = 0;
    rig.loop.at(t0 + 150000, [&] { eventsWhenLateActionRan = rig.port.lines().events().size(); });
    rig.tx.sendBits(codes.frameFor({1, 1, Action::Off}));
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"B2 ON", "A1 OFF"}));
    rig.loop.runFor(200);
    EXPECT_EQ(eventsWhenLateActionRan, 320u);
}

TEST(SendBits, ObserversHearEveryFrameAndEndOfRunSendsTwoTrailers) {
    Rig rig;
    std::vector<std::string> heard;
    const int id = rig.tx.addSentObserver([&](const std::string& bits) { heard.push_back(bits); });
    rig.tx.sendBits(MacroLeadIn);
    rig.tx.endOfRun();
    rig.tx.removeSentObserver(id);
    rig.tx.sendBits("1");
    EXPECT_EQ(heard, (std::vector<std::string>{MacroLeadIn, MacroTrailer, MacroTrailer}));
    EXPECT_EQ(rig.port.decoder().texts(), (std::vector<std::string>{"lead-in", "trailer", "trailer"}));
    // 150 ms without events between the trailers, then the second one's 70 ms settle.
    const auto& s = rig.port.decoder().decoded();
    const std::int64_t secondTrailerTime = 32 * 2 * 500 - 500;
    EXPECT_EQ(s[2].micros - s[1].micros, 500 + 150000 + 70000 + secondTrailerTime);
}

TEST(Pause, NothingForZeroOrLessOtherwiseTicksKeepRunningAndItEndsOnTime) {
    Rig rig;
    const long before = rig.loop.processCount();
    rig.tx.pause(0);
    rig.tx.pause(-1.5);
    EXPECT_EQ(rig.loop.processCount(), before);
    EXPECT_EQ(rig.clock.monotonicMicros(), 0);

    int ticks = 0;
    auto tick = rig.loop.createTick("t", 100, [&] { ++ticks; });
    tick->setEnabled(true);
    rig.tx.pause(1.0);
    EXPECT_NEAR(rig.secondsSince(0), 1.0, 0.006);
    EXPECT_GE(ticks, 9);
}

// Midnight and a wall clock stepped back by a time sync neither end nor
// stretch a pause; StopAll ends it within one step.
TEST(Pause, FollowsElapsedTimeNotTheWallClockAndStopAllEndsIt) {
    Rig late(DateTime{2024, 6, 3, 23, 59, 59, 500});
    late.tx.pause(2.0);
    EXPECT_EQ(late.clock.now().day, 4);
    EXPECT_NEAR(late.clock.now().secondsOfDay(), 1.5, 0.02);

    Rig stepped(DateTime{2024, 10, 27, 3, 0, 0, 0});
    stepped.loop.afterMs(500, [&] { stepped.clock.setNow(DateTime{2024, 10, 27, 3, 0, 0, 100}); });
    stepped.tx.pause(2.0);
    EXPECT_NEAR(stepped.secondsSince(0), 2.0, 0.006);

    Rig stopped;
    stopped.loop.afterMs(300, [&] { stopped.stopAll = true; });
    stopped.tx.pause(60.0);
    EXPECT_GE(stopped.secondsSince(0), 0.300);
    EXPECT_LE(stopped.secondsSince(0), 0.306);
}

TEST(BitStateSetting, DefaultsAndLimits) {
    MemorySettings s;
    EXPECT_EQ(readBitStateMicros(s), 500);
    const std::vector<std::pair<std::string, int>> cases = {{"800", 800},
                                                            {" 1200", 1200},
                                                            {"100", 500},
                                                            {"abc", 500},
                                                            {"", 500},
                                                            {"999999", 20000},
                                                            {"99999999999999999999", 20000}};
    for (const auto& [text, want] : cases) {
        s.write(Setting::BitStateMicros, text);
        EXPECT_EQ(readBitStateMicros(s), want) << text;
    }
}
