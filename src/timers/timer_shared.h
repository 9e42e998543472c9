#pragma once
// The values the timer window's scheduler, its four macro runners and the loop
// timer share. They all run as ticks of the one user-interface thread and
// re-enter one another wherever a step processes events; these flags are the
// only guards between them.
#include <deque>
#include <functional>
#include <string>

namespace zul {

struct TimerShared {
    // The timer `startTimer` is to start; the scheduler sets it before the call.
    int StartIndex = 0;
    // The time of day (clock text) taken when a macro is loaded into a runner.
    std::string StartTime;
    // Set by the scheduler before it calls `startTimer`, cleared when `startTimer` ends.
    bool StartPending = false;
    // Set by every runner tick, cleared when the last busy runner ends.
    bool RunnerActive = false;
    // The send queue `frameQueue`: frames (40-character bit strings) in order,
    // emptied one per drain tick with the "GPause" gap after each.
    std::deque<std::string> frameQueue;
    // Appends a frame to frameQueue and tells the drain (frameQueued).
    void queueFrame(std::string frame) {
        frameQueue.push_back(std::move(frame));
        if (frameQueued) frameQueued();
    }
    std::function<void()> frameQueued;
    // The clock text the clock tick writes, in the window's time style.
    std::string clockText;
    // "0" on Saturday and Sunday, "1" Monday to Friday.
    std::string weekdayFlag = "1";
};

} // namespace zul
