// LD_PRELOAD library for end-to-end tests of the serial code: pseudo-terminals
// have no modem-control lines (TIOCMBIS and friends fail with ENOTTY), so
// this keeps RTS and DTR for each pty itself and appends every change to the
// file named by ZUL_MODEM_LOG as "<monotonic microseconds> <rts> <dtr>".
// Every other ioctl, and every ioctl on anything but a pty, passes through.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {

using IoctlFn = int (*)(int, unsigned long, ...);
constexpr int MaxFd = 4096;

std::mutex guard;
int modem[MaxFd];
bool known[MaxFd];
int logFd = -1;

// Unix98 pty slaves have majors 136 to 143.
bool isPty(int fd) {
    struct stat st {};
    if (fd < 0 || fd >= MaxFd || fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

void record(int state) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    if (logFd < 0) {
        const char* path = std::getenv("ZUL_MODEM_LOG");
        if (!path) return;
        logFd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) return;
    }
    char line[64];
    const long long micros = static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
    const int n = std::snprintf(line, sizeof line, "%lld %d %d\n", micros, (state & TIOCM_RTS) ? 1 : 0,
                                (state & TIOCM_DTR) ? 1 : 0);
    const ssize_t written = write(logFd, line, static_cast<size_t>(n));
    (void)written;
}

bool isModemRequest(unsigned long request) {
    return request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET || request == TIOCMGET;
}

int modemIoctl(int fd, unsigned long request, int* arg) {
    std::lock_guard<std::mutex> lock(guard);
    if (!known[fd]) {
        known[fd] = true;
        modem[fd] = TIOCM_RTS | TIOCM_DTR; // the serial driver raises both on open
    }
    if (request == TIOCMGET) {
        *arg = modem[fd];
        return 0;
    }
    if (request == TIOCMBIS) modem[fd] |= *arg;
    if (request == TIOCMBIC) modem[fd] &= ~*arg;
    if (request == TIOCMSET) modem[fd] = *arg;
    record(modem[fd]);
    return 0;
}

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    static const IoctlFn real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
    if (isModemRequest(request) && arg && isPty(fd)) return modemIoctl(fd, request, static_cast<int*>(arg));
    return real(fd, request, arg);
}
