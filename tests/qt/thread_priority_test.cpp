// Real-time frames on this system: each case runs in a child process, so the
// test process keeps its own scheduling, limits and user.
#include "platform/qt/posix_thread_priority.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

using zul::qt::PosixThreadPriority;

namespace {

constexpr int Skipped = 77;

int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int policy() { return sched_getscheduler(0) & ~SCHED_RESET_ON_FORK; }

} // namespace

TEST(PosixThreadPriority, RaisedAsFarAsAllowedAndBackToNormalAfterwards) {
    // -1: this process as it is; 0 and 5: an ordinary user with that RLIMIT_RTPRIO.
    const struct {
        int limit, expectedPriority;  // 0: refused
    } cases[] = {{-1, PosixThreadPriority::FramePriority}, {0, 0}, {5, 5}};
    for (const auto& c : cases) {
        const int rc = inChild([c] {
            if (c.limit >= 0) {
                const rlimit lim{rlim_t(c.limit), rlim_t(c.limit)};
                if (setrlimit(RLIMIT_RTPRIO, &lim) != 0 || (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0))
                    return Skipped;
            }
            PosixThreadPriority p;
            const std::error_code refusal = p.raise();
            if (c.limit < 0 && refusal) return Skipped;  // this system grants no real-time scheduling
            sched_param param{};
            sched_getparam(0, &param);
            const bool asAllowed = c.expectedPriority == 0
                                       ? refusal == std::errc::operation_not_permitted && policy() == SCHED_OTHER
                                       : !refusal && policy() == SCHED_FIFO && param.sched_priority == c.expectedPriority;
            p.restore();  // an ordinary user may go back down too
            return asAllowed && policy() == SCHED_OTHER ? 0 : 1;
        });
        if (rc != Skipped) {
            EXPECT_EQ(rc, 0) << "limit " << c.limit;
        }
    }
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(LockProcessMemory, LocksWhereAllowedAndLaterAllocationsStillWork) {
    EXPECT_EQ(inChild([] {
                  const bool locked = !zul::qt::lockProcessMemory();
                  std::ifstream status("/proc/self/status");
                  long lockedKb = 0;
                  for (std::string line; std::getline(status, line);)
                      if (line.rfind("VmLck:", 0) == 0) lockedKb = std::atol(line.c_str() + 6);
                  // Well past any lock limit of an ordinary user.
                  auto* block = static_cast<volatile char*>(std::malloc(64 << 20));
                  if (block) block[0] = 1;
                  return locked == (lockedKb > 0) && block ? 0 : 1;
              }),
              0);
}
#endif
