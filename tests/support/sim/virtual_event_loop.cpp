#include "support/sim/virtual_event_loop.h"

#include <algorithm>

namespace zul::sim {

struct VirtualEventLoop::TickState {
    std::string name;
    int period = 0;
    std::function<void()> handler;
    bool enabled = false;
    bool running = false;
    std::int64_t due = 0;
    long order = 0;
    VirtualEventLoop* loop = nullptr;

    bool dueBy(std::int64_t t) const { return enabled && !running && period > 0 && due <= t; }
};

class VirtualTick : public Tick {
public:
    explicit VirtualTick(VirtualEventLoop::TickState* s) : s_(s) {}
    ~VirtualTick() override {
        if (s_->loop) {
            auto& v = s_->loop->ticks_;
            v.erase(std::remove(v.begin(), v.end(), s_), v.end());
        }
        delete s_;
    }
    void setEnabled(bool on) override {
        if (on && !s_->enabled) restart();
        s_->enabled = on;
    }
    bool enabled() const override { return s_->enabled; }
    void setInterval(int ms) override {
        s_->period = ms;
        if (s_->enabled) restart();
    }
    int interval() const override { return s_->period; }
    const std::string& name() const override { return s_->name; }
    bool running() const override { return s_->running; }

private:
    void restart() { s_->due = s_->loop->clock_.monotonicMicros() + std::int64_t(s_->period) * 1000; }
    VirtualEventLoop::TickState* s_;
};

VirtualEventLoop::~VirtualEventLoop() {
    for (auto* t : ticks_) t->loop = nullptr;
}

std::unique_ptr<Tick> VirtualEventLoop::createTick(std::string name, int periodMs, std::function<void()> handler) {
    auto* s = new TickState{std::move(name), periodMs, std::move(handler), false, false, 0, order_++, this};
    ticks_.push_back(s);
    return std::make_unique<VirtualTick>(s);
}

void VirtualEventLoop::at(std::int64_t micros, std::function<void()> action) {
    actions_.push_back(Action{micros, order_++, std::move(action)});
}

std::int64_t VirtualEventLoop::nextDue() const {
    std::int64_t best = -1;
    for (const auto* t : ticks_)
        if (t->enabled && !t->running && t->period > 0 && (best < 0 || t->due < best)) best = t->due;
    for (const auto& a : actions_)
        if (best < 0 || a.due < best) best = a.due;
    return best;
}

// Runs the single earliest item that is due now; false when nothing is due.
bool VirtualEventLoop::runOneDue() {
    const std::int64_t now = clock_.monotonicMicros();
    TickState* tick = nullptr;
    for (auto* t : ticks_)
        if (t->dueBy(now) && (!tick || t->due < tick->due || (t->due == tick->due && t->order < tick->order))) tick = t;
    auto action = actions_.end();
    for (auto it = actions_.begin(); it != actions_.end(); ++it)
        if (it->due <= now && (action == actions_.end() || it->due < action->due)) action = it;

    const bool actionFirst = action != actions_.end() && (!tick || action->due < tick->due ||
                                                          (action->due == tick->due && action->order < tick->order));
    if (actionFirst) {
        auto run = std::move(action->run);
        actions_.erase(action);
        run();
        return true;
    }
    if (!tick) return false;
    // Next period counts from the due time; if that already passed, from now.
    tick->due += std::int64_t(tick->period) * 1000;
    if (tick->due <= now) tick->due = now + std::int64_t(tick->period) * 1000;
    tick->running = true;
    auto handler = tick->handler; // the tick may be destroyed inside its handler
    handler();
    if (std::find(ticks_.begin(), ticks_.end(), tick) != ticks_.end()) tick->running = false;
    return true;
}

void VirtualEventLoop::processEvents() {
    ++processCount_;
    // Only what is due at this moment; time does not move here unless a handler waits.
    const std::int64_t stop = clock_.monotonicMicros();
    int guard = 0;
    while (runOneDue() && ++guard < 100000) {
        if (clock_.monotonicMicros() > stop + 3'600'000'000LL) break;
    }
}

void VirtualEventLoop::runUntil(std::int64_t micros) {
    for (;;) {
        const std::int64_t due = nextDue();
        if (due < 0 || due > micros) break;
        clock_.advanceTo(due);
        processEvents();
    }
    clock_.advanceTo(micros);
}

bool VirtualEventLoop::runUntilTrue(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t limit = clock_.monotonicMicros() + limitMs * 1000;
    while (!done()) {
        const std::int64_t due = nextDue();
        if (due < 0 || due > limit) {
            clock_.advanceTo(limit);
            return done();
        }
        clock_.advanceTo(due);
        processEvents();
    }
    return true;
}

} // namespace zul::sim
