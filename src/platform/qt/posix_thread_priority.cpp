#include "platform/qt/posix_thread_priority.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

PosixThreadPriority::~PosixThreadPriority() { releaseWakeLatency(); }

std::error_code PosixThreadPriority::raise() {
    const std::error_code result = raiseScheduling();
    if (!result) holdWakeLatency();
    return result;
}

std::error_code PosixThreadPriority::raiseScheduling() {
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
    releaseWakeLatency();
    if (!raised_) return;
    raised_ = false;
    sched_setscheduler(0, policy_ | KeepFromChildren, &param_);
}

void PosixThreadPriority::holdWakeLatency() {
    if (wakeLatencyRefused_ || wakeLatency_ >= 0) return;
    // The request lasts while the file is open; only root may open it on most systems.
    const int fd = ::open("/dev/cpu_dma_latency", O_WRONLY | O_CLOEXEC);
    const std::int32_t none = 0;
    if (fd >= 0 && ::write(fd, &none, sizeof none) == sizeof none) {
        wakeLatency_ = fd;
        return;
    }
    if (fd >= 0) ::close(fd);
    wakeLatencyRefused_ = true;
}

void PosixThreadPriority::releaseWakeLatency() {
    if (wakeLatency_ < 0) return;
    ::close(wakeLatency_);
    wakeLatency_ = -1;
}

} // namespace zul::qt
