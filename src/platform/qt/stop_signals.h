#pragma once
// SIGTERM and SIGINT (a service manager stopping the program, Ctrl+C) end
// the program through its own shutdown instead of killing it: the signal
// is passed through a pipe to the event loop, where onStop runs like any
// other event. A second signal, once the shutdown has begun, ends the
// process at once.
#include <QObject>
#include <csignal>
#include <functional>

class QSocketNotifier;

namespace zul::qt {

class StopSignals : public QObject {
public:
    // Only one may exist at a time.
    explicit StopSignals(std::function<void(int signal)> onStop);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    void received();

    std::function<void(int)> onStop_;
    QSocketNotifier* notifier_ = nullptr;
    bool stopping_ = false;
};

// SIGTERM and SIGINT wait (pending) until the program's own handling is in
// place, so a stop asked for at the very start still goes through the stop
// path instead of killing a program half set up.
class HeldStopSignals {
public:
    HeldStopSignals() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGINT);
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    }
    ~HeldStopSignals() { release(); }
    HeldStopSignals(const HeldStopSignals&) = delete;
    HeldStopSignals& operator=(const HeldStopSignals&) = delete;
    // A signal that came meanwhile is taken now.
    void release() { pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr); }

private:
    sigset_t signals_{};
};

} // namespace zul::qt
