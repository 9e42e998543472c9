#pragma once
// SIGTERM and SIGINT (a service manager stopping the program, Ctrl+C) end
// the program through its own shutdown instead of killing it: the signal
// is passed through a pipe to the event loop, where onStop runs like any
// other event. A second signal, once the shutdown has begun, ends the
// process at once.
#include <QObject>
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

} // namespace zul::qt
