#pragma once
// Periodic ticks and event processing. Every wait in the program is written
// against this interface so that the whole timer machinery runs the same in
// the desktop program (real time) and in tests (virtual time).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zul {

// A named periodic tick. Enabling it (or changing its period while enabled)
// starts a fresh period; the first call comes one period later. A tick whose
// handler is still running is never started again inside itself.
class Tick {
public:
    virtual ~Tick() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual const std::string& name() const = 0;
    // True while its handler runs.
    virtual bool running() const = 0;
    // A coarse tick may come up to 5% of its period early or late, so that
    // ticks due at about the same moment wake the program once. For the
    // clock-like ticks; anything that times a command stays precise.
    virtual void setCoarse(bool) {}
};

class EventLoop {
public:
    virtual ~EventLoop() = default;
    // The tick lives as long as the returned pointer; it starts disabled.
    virtual std::unique_ptr<Tick> createTick(std::string name, int periodMs, std::function<void()> handler) = 0;
    // Runs whatever is due now: ticks and, in the desktop program, window events.
    virtual void processEvents() = 0;
    // Runs `work` once on the loop's thread, soon, like a tick due now. The
    // one call that other threads may make (in virtual time: the loop's thread only).
    virtual void post(std::function<void()> work) = 0;
    // Blocks without processing events.
    virtual void sleepMs(int ms) = 0;
    // Blocks without processing events until the monotonic clock reaches the
    // deadline (microseconds of Clock::monotonicMicros).
    virtual void sleepUntilMicros(std::int64_t deadline) = 0;
};

} // namespace zul
