#include "platform/qt/stop_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zul::qt {

namespace {
int pipeEnds[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGINT};

void onSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : Handled) ::sigaction(s, &action, nullptr);
}
} // namespace

StopSignals::StopSignals(std::function<void(int)> onStop) : onStop_(std::move(onStop)) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return; // the default handling stays
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { received(); });
    setHandler(onSignal);
}

StopSignals::~StopSignals() {
    setHandler(SIG_DFL);
    delete notifier_;
    for (int& fd : pipeEnds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void StopSignals::received() {
    unsigned char byte = 0;
    int signal = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) signal = byte;
    if (signal == 0 || stopping_) return;
    stopping_ = true;
    // From now on a signal ends the process at once: a shutdown that hangs
    // can still be cut short.
    setHandler(SIG_DFL);
    if (onStop_) onStop_(signal);
}

} // namespace zul::qt
