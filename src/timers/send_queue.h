#pragma once
// The drain of the send queue `frameQueue`: one frame per
// tick through sendBits, then the "GPause" gap. The timer runners and the loop
// timer only append to the queue, so frames of several runs interleave
// frame by frame in the order they were queued.
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/event_loop.h"

namespace zul {

class SettingsBackend;
namespace x10 {
class Transmitter;
}

inline constexpr double DefaultGapSeconds = 0.6;

// "Settings"/"GPause" in seconds ("." or "," as the decimal separator);
// the default when missing or not a number, 0 when negative.
double readGapSeconds(const SettingsBackend& settings);

class SendQueue {
public:
    static constexpr int FirstPeriodMs = 50;
    static constexpr int PeriodMs = 100;
    // While the queue is empty the tick only looks once a second (a frame
    // put straight into the buffer still leaves); wake() sends a queued frame
    // at once. After each frame the next step waits the "GPause" gap, then
    // 100 ms steps go on until the queue is empty.
    static constexpr int IdlePeriodMs = 1000;
    static constexpr int WakeMs = 1;

    // The tick starts enabled, 50 ms first, then every 100 ms.
    SendQueue(EventLoop& loop, x10::Transmitter& transmitter, const SettingsBackend& settings,
              std::deque<std::string>& buffer);

    // A frame was queued.
    void wake();
    // Asked for the next frame whenever the queue is empty at a step (after
    // the gap): an owner that chooses its frames late fills the queue here.
    std::function<void()> refill;

    Tick& tick() { return *tick_; }

private:
    void onTick();

    EventLoop& loop_;
    x10::Transmitter& tx_;
    const SettingsBackend& settings_;
    std::deque<std::string>& buffer_;
    std::unique_ptr<Tick> tick_;
    bool idle_ = false;
};

} // namespace zul
