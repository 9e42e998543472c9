#pragma once
#include "platform/clock.h"
#include "platform/event_loop.h"

namespace zul::qt {

// Ticks on QTimer, events through QCoreApplication, sleeps on the monotonic clock.
class QtEventLoop : public EventLoop {
public:
    std::unique_ptr<Tick> createTick(std::string name, int periodMs, std::function<void()> handler) override;
    void processEvents() override;
    void post(std::function<void()> work) override;
    void sleepMs(int ms) override;
    void sleepUntilMicros(std::int64_t deadline) override;
};

} // namespace zul::qt
