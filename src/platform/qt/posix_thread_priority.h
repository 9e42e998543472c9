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

    std::error_code raise() override;
    void restore() override;

private:
    int policy_ = SCHED_OTHER;
    sched_param param_{};
    bool raised_ = false;
};

} // namespace zul::qt
