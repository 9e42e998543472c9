#pragma once
// Deterministic event loop in virtual time. Ticks fire in time order (ties in
// creation order); waiting advances the virtual clock instead of sleeping.
#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "support/sim/virtual_clock.h"

namespace zul::sim {

class VirtualEventLoop : public EventLoop {
public:
    explicit VirtualEventLoop(VirtualClock& clock) : clock_(clock) {}
    ~VirtualEventLoop() override;

    std::unique_ptr<Tick> createTick(std::string name, int periodMs, std::function<void()> handler) override;
    void processEvents() override;
    void post(std::function<void()> work) override { at(clock_.monotonicMicros(), std::move(work)); }
    void sleepMs(int ms) override { clock_.advanceMs(ms); }
    void sleepUntilMicros(std::int64_t deadline) override { clock_.advanceTo(deadline); }

    // A one-shot "user action" at a virtual time (microseconds of the monotonic clock).
    void at(std::int64_t micros, std::function<void()> action);
    void afterMs(std::int64_t ms, std::function<void()> action) {
        at(clock_.monotonicMicros() + ms * 1000, std::move(action));
    }

    // Lets virtual time pass, running every tick and action at its time.
    void runFor(std::int64_t ms) { runUntil(clock_.monotonicMicros() + ms * 1000); }
    void runUntil(std::int64_t micros);
    // Runs until the predicate holds or the time limit passes; true when it held.
    bool runUntilTrue(const std::function<bool()>& done, std::int64_t limitMs);

    VirtualClock& clock() { return clock_; }
    // How many times processEvents was called (tests check that a wait did or did not process events).
    long processCount() const { return processCount_; }

    struct TickState;

private:
    struct Action {
        std::int64_t due;
        long order;
        std::function<void()> run;
    };
    // The earliest due tick or action, or -1 when nothing is scheduled.
    std::int64_t nextDue() const;
    bool runOneDue();

    VirtualClock& clock_;
    std::vector<TickState*> ticks_;
    std::list<Action> actions_;
    long order_ = 0;
    long processCount_ = 0;
    friend class VirtualTick;
};

} // namespace zul::sim
