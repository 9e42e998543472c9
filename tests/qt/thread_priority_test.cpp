// Real-time frames on this system: each case runs in a child process, so the
// test process keeps its own scheduling, limits and user.
#include "platform/qt/frame_memory.h"
#include "platform/qt/posix_thread_priority.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

using zul::qt::PosixThreadPriority;

namespace {

constexpr int LimitRefused = 77, NotAnOrdinaryUser = 78, NoRealTime = 79; // the child could not run its case

int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int policy() { return sched_getscheduler(0) & ~SCHED_RESET_ON_FORK; }

template <class F>
const void* code(F* function) {
    return reinterpret_cast<const void*>(function);
}

// Whether the mapping that holds address is locked in memory.
bool lockedAt(const void* address) {
    const auto a = reinterpret_cast<unsigned long>(address);
    std::ifstream maps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(maps, line);) {
        unsigned long begin = 0, end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &begin, &end) == 2) inside = a >= begin && a < end;
        else if (inside && line.rfind("VmFlags:", 0) == 0) return line.find(" lo") != std::string::npos;
    }
    return false;
}

// Whether the stack is locked this far below the caller.
[[gnu::noinline]] bool stackLockedBelow(std::size_t depth) {
    volatile char below[64 * 1024];
    below[0] = 0;
    const bool locked =
        depth > sizeof below ? stackLockedBelow(depth - sizeof below) : lockedAt(const_cast<const char*>(&below[0]));
    below[1] = below[0]; // the frame stays until the answer is in
    return locked;
}

// The processors' wake-up latency asked for now, in microseconds (-1: not readable).
int wakeLatency() {
    std::int32_t value = -1;
    std::ifstream("/dev/cpu_dma_latency", std::ios::binary).read(reinterpret_cast<char*>(&value), sizeof value);
    return value;
}

// Why a child could not run its case ("" when it ran, passed or not).
std::string skipReason(int rc) {
    switch (rc) {
    case LimitRefused: return "this system does not let the test set that resource limit";
    case NotAnOrdinaryUser: return "cannot become an ordinary user here";
    case NoRealTime: return "this system grants no real-time scheduling";
    default: return "";
    }
}

} // namespace

// With the frame raised, the wake-up latency is held at zero where this
// process may ask for it, and let go with the priority.
// The limit: -1 for this process as it is; 0 and 5: an ordinary user with that RLIMIT_RTPRIO.
class PosixThreadPriorityTest : public ::testing::TestWithParam<int> {};

TEST_P(PosixThreadPriorityTest, RaisedAsFarAsAllowedAndBackToNormalAfterwards) {
    const int limit = GetParam();
    const int expectedPriority = limit < 0 ? PosixThreadPriority::FramePriority : limit; // 0: refused
    const int rc = inChild([limit, expectedPriority] {
        if (limit >= 0) {
            const rlimit lim{rlim_t(limit), rlim_t(limit)};
            if (setrlimit(RLIMIT_RTPRIO, &lim) != 0) return LimitRefused;
            if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) return NotAnOrdinaryUser;
        }
        PosixThreadPriority p;
        const std::error_code refusal = p.raise();
        if (limit < 0 && refusal) return NoRealTime;
        sched_param param{};
        sched_getparam(0, &param);
        const bool asAllowed = expectedPriority == 0
                                   ? refusal == std::errc::operation_not_permitted && policy() == SCHED_OTHER
                                   : !refusal && policy() == SCHED_FIFO && param.sched_priority == expectedPriority;
        const bool mayHold = access("/dev/cpu_dma_latency", W_OK) == 0;
        const bool held = p.holdsWakeLatency() && wakeLatency() == 0;
        p.restore(); // an ordinary user may go back down too
        return asAllowed && policy() == SCHED_OTHER && held == (mayHold && !refusal) && !p.holdsWakeLatency() ? 0 : 1;
    });
    if (const std::string reason = skipReason(rc); !reason.empty()) GTEST_SKIP() << reason;
    EXPECT_EQ(rc, 0);
}

INSTANTIATE_TEST_SUITE_P(Limits, PosixThreadPriorityTest, ::testing::Values(-1, 0, 5));

// The sending thread's stack below the caller, the code and the static data
// of the objects the frame path runs in are locked, within an ordinary
// user's 8 MiB limit (the parameter); the rest of the program (another
// library, the heap) is not.
class LockFramePathTest : public ::testing::TestWithParam<bool> {};

TEST_P(LockFramePathTest, TheStackTheCodeAndTheDataOfTheFramePathOnly) {
    const bool ordinaryUser = GetParam();
#if defined(__SANITIZE_ADDRESS__)
    // Its code is several times the size users run, and clock_nanosleep is the sanitizer's own.
    GTEST_SKIP() << "the frame path of a sanitizer build is not the one users run";
#endif
    const int rc = inChild([ordinaryUser] {
        const rlimit eightMiB{8 << 20, 8 << 20};
        if (ordinaryUser && setrlimit(RLIMIT_MEMLOCK, &eightMiB) != 0) return LimitRefused;
        if (ordinaryUser && geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) return NotAnOrdinaryUser;
        const zul::qt::FrameMemory kept = zul::qt::lockFramePath({code(&lockedAt)});
        if (kept.error) return 10;
        static int staticData = 0;
        auto* heap = static_cast<char*>(std::malloc(16 << 20));
        const bool frameLocked = lockedAt(code(&::clock_nanosleep)) && lockedAt(code(&lockedAt)) &&
                                 lockedAt(&staticData) && stackLockedBelow(128 * 1024);
        const bool restFree = !lockedAt(code(&qVersion)) && !lockedAt(heap);
        std::free(heap);
        return (frameLocked ? 0 : 1) + (restFree ? 0 : 2) + (kept.lockedBytes < (8u << 20) ? 0 : 4);
    });
    if (const std::string reason = skipReason(rc); !reason.empty()) GTEST_SKIP() << reason;
    EXPECT_EQ(rc, 0);
}

INSTANTIATE_TEST_SUITE_P(Users, LockFramePathTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OrdinaryUser" : "ThisUser"; });
