// Bit timing of the CM17A sender on this machine: sends frames through the
// real timing code (system clock, real sleeps) into a recording port and
// reports the shortest line state seen and how long a frame takes to clock
// out compared with 80 line states.
//
// usage: bit_timing [FRAMES] [STATE_MICROS] [SPIN_MICROS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/sim/recording_line_port.h"
#include "platform/system_clock.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace {

// An event loop with nothing to process: real sleeps only.
class SleepingLoop : public zul::EventLoop {
public:
    std::unique_ptr<zul::Tick> createTick(std::string, int, std::function<void()>) override { return nullptr; }
    void processEvents() override {}
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }
    void sleepUntilMicros(std::int64_t deadline) override {
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(deadline / 1000000);
        ts.tv_nsec = static_cast<long>((deadline % 1000000) * 1000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
};

struct FrameTiming {
    std::int64_t shortestState;
    std::int64_t clockOut;  // first to last line change
};

// Line states as the transmitter sees them: the time between changes of the
// pair of levels (a call that leaves both levels as they were is no change).
FrameTiming measure(const std::vector<zul::sim::LineEvent>& events) {
    FrameTiming t{INT64_MAX, events.back().micros - events.front().micros};
    bool rts = true, dtr = true;
    std::int64_t since = -1;
    for (const auto& e : events) {
        if (e.rts == rts && e.dtr == dtr) continue;
        if (since >= 0) t.shortestState = std::min(t.shortestState, e.micros - since);
        rts = e.rts;
        dtr = e.dtr;
        since = e.micros;
    }
    return t;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int state = argc > 2 ? std::atoi(argv[2]) : zul::x10::DefaultBitStateMicros;
    const int spin = argc > 3 ? std::atoi(argv[3]) : zul::x10::RealTimeSpinMicros;
    zul::SystemClock clock;
    SleepingLoop loop;
    zul::sim::RecordingLinePort port(clock);
    port.open("bench");
    const bool stopAll = false;
    zul::x10::Transmitter tx(port, loop, clock, stopAll, state);
    tx.setSpinMicros(spin);
    const zul::x10::X10Codes codes;

    std::int64_t shortest = INT64_MAX;
    double worstRatio = 0, sumRatio = 0;
    for (int i = 0; i < frames; ++i) {
        port.clearEvents();
        tx.SendBits(codes.frameFor({i % 16 + 1, i % 16 + 1, i % 2 ? zul::x10::Action::Off : zul::x10::Action::On}));
        const FrameTiming t = measure(port.events());
        shortest = std::min(shortest, t.shortestState);
        const double ratio = double(t.clockOut) / (80.0 * tx.stateMicros());
        worstRatio = std::max(worstRatio, ratio);
        sumRatio += ratio;
    }
    std::printf("frames: %d, line state time: %d us, busy-waited tail: %d us\n", frames, tx.stateMicros(), spin);
    std::printf("shortest line state seen: %lld us\n", static_cast<long long>(shortest));
    std::printf("clock-out time / (80 x state time): mean %.4f, worst %.4f\n", sumRatio / frames, worstRatio);
    return 0;
}
