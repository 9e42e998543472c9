#pragma once
// Real-time scheduling of the calling thread on Linux: SCHED_FIFO at a
// modest priority, within RLIMIT_RTPRIO for an unprivileged user (a service
// manager can grant it, e.g. LimitRTPRIO= in a systemd unit).
#include <sched.h>

#include <system_error>

#include "platform/frame_priority.h"

namespace zul::qt {

class PosixThreadPriority : public ThreadPriority {
public:
    // Above every ordinary process, below the system's own real-time work
    // (the interrupt threads run at 50).
    static constexpr int FramePriority = 20;

    PosixThreadPriority() = default;
    ~PosixThreadPriority() override;
    PosixThreadPriority(const PosixThreadPriority&) = delete;
    PosixThreadPriority& operator=(const PosixThreadPriority&) = delete;

    // A granted raise also holds the processors' wake-up latency at zero
    // (/dev/cpu_dma_latency) where the system allows it: a thread sleeping
    // between line states is then woken from a shallow idle state, on time,
    // instead of from a deep one. Where it does not, the sender's widening
    // busy wait covers the late wake-ups.
    std::error_code raise() override;
    void restore() override;
    bool holdsWakeLatency() const { return wakeLatency_ >= 0; }

private:
    std::error_code raiseScheduling();
    void holdWakeLatency();
    void releaseWakeLatency();

    int policy_ = SCHED_OTHER;
    sched_param param_{};
    bool raised_ = false;
    int wakeLatency_ = -1; // the open latency request while a frame goes out
    bool wakeLatencyRefused_ = false;
};

} // namespace zul::qt
