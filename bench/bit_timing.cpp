// Bit timing of the CM17A sender on this machine: sends frames through the
// real timing code (system clock, real sleeps) into a recording port and
// reports how long each frame takes to clock out compared with 80 line
// states, the shortest and longest state, and the frames a long state split.
// With --realtime each frame goes out raised to real-time scheduling, as the
// program sends them.
//
// SPIN_MICROS is the busy-waited end of each state, MAX_SPIN_MICROS how far
// it may widen after late wake-ups.
//
// usage: bit_timing [FRAMES] [STATE_MICROS] [SPIN_MICROS] [MAX_SPIN_MICROS] [--realtime]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "frame_stats.h"
#include "platform/qt/posix_thread_priority.h"
#include "support/sim/recording_line_port.h"
#include "platform/system_clock.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace {

// An event loop with nothing to process: real sleeps only.
class SleepingLoop : public zul::EventLoop {
public:
    std::unique_ptr<zul::Tick> createTick(std::string, int, std::function<void()>) override { return nullptr; }
    void processEvents() override {}
    void post(std::function<void()>) override {}
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }
    void sleepUntilMicros(std::int64_t deadline) override {
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(deadline / 1000000);
        ts.tv_nsec = static_cast<long>((deadline % 1000000) * 1000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {}
    }
};

double cpuMicros(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e6 + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool realtime = false;
    std::erase_if(args, [&](const std::string& a) { return a == "--realtime" && (realtime = true); });
    const int frames = args.size() > 0 ? std::max(1, std::atoi(args[0].c_str())) : 100;
    const int state = args.size() > 1 ? std::atoi(args[1].c_str()) : zul::x10::DefaultBitStateMicros;
    const int spin = args.size() > 2 ? std::atoi(args[2].c_str()) : zul::x10::RealTimeSpinMicros;
    const int maxSpin = args.size() > 3 ? std::atoi(args[3].c_str()) : zul::x10::MaxSpinMicros;
    zul::SystemClock clock;
    SleepingLoop loop;
    zul::sim::RecordingLinePort port(clock);
    port.open("bench");
    const bool stopAll = false;
    zul::x10::Transmitter tx(port, loop, clock, stopAll, state);
    tx.setSpinMicros(spin, maxSpin);
    zul::qt::PosixThreadPriority system;
    zul::FramePriority priority(
        system, [](std::error_code e) { std::printf("real-time scheduling refused: %s\n", e.message().c_str()); });
    if (realtime) tx.setFramePriority(&priority);
    const zul::x10::X10Codes codes;

    std::vector<zul::bench::LineChange> changes;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    for (int i = 0; i < frames; ++i) {
        port.clearEvents();
        tx.sendBits(codes.frameFor({i % 16 + 1, i % 16 + 1, i % 2 ? zul::x10::Action::Off : zul::x10::Action::On}));
        for (const auto& e : port.events()) changes.push_back({e.micros, e.rts, e.dtr});
    }
    getrusage(RUSAGE_SELF, &after);
    const double cpuMs = (cpuMicros(after) - cpuMicros(before)) / 1000.0;
    std::printf("busy-waited tail: %d us, up to %d us; real-time frames: %s; wake-up latency may be held: %s\n", spin,
                maxSpin, realtime ? (priority.refused() ? "refused" : "yes") : "no",
                access("/dev/cpu_dma_latency", W_OK) == 0 ? "yes" : "no");
    zul::bench::printReport(zul::bench::measureLines(changes), tx.stateMicros(), cpuMs / frames);
    return 0;
}
