#include "platform/qt/posix_thread_priority.h"

#include <sys/resource.h>

#include <cerrno>

namespace zul::qt {

namespace {

// Children the program starts (timer entries that run programs) begin at
// normal priority, whatever this thread runs at. The flag stays on the
// thread: an unprivileged thread may not clear it again.
constexpr int KeepFromChildren = SCHED_RESET_ON_FORK;

std::error_code setFifo(int priority) {
    sched_param p{};
    p.sched_priority = priority;
    if (sched_setscheduler(0, SCHED_FIFO | KeepFromChildren, &p) == 0) return {};
    return {errno, std::generic_category()};
}

rlim_t softLimit(int resource) {
    rlimit lim{};
    return getrlimit(resource, &lim) == 0 ? lim.rlim_cur : 0;
}

} // namespace

std::error_code PosixThreadPriority::raise() {
    raised_ = false;
    policy_ = sched_getscheduler(0);
    if (policy_ < 0 || sched_getparam(0, &param_) != 0) return {errno, std::generic_category()};
    policy_ &= ~KeepFromChildren;
    // Already real-time (a service manager set it): leave it so.
    if (policy_ == SCHED_FIFO || policy_ == SCHED_RR) return {};
    std::error_code result = setFifo(FramePriority);
    // Without the privilege to pass it, the limit is the most we may ask for.
    const rlim_t limit = softLimit(RLIMIT_RTPRIO);
    if (result == std::errc::operation_not_permitted && limit > 0 && limit < rlim_t(FramePriority))
        result = setFifo(static_cast<int>(limit));
    raised_ = !result;
    return result;
}

void PosixThreadPriority::restore() {
    if (!raised_) return;
    raised_ = false;
    sched_setscheduler(0, policy_ | KeepFromChildren, &param_);
}

} // namespace zul::qt
