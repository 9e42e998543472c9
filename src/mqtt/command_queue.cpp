#include "mqtt/command_queue.h"

#include <algorithm>
#include <cstdlib>

namespace zul::mqtt {

namespace {
using Kind = CommandQueue::Wish::Kind;

// The most frames one wish may take: an ON, then every step of the way.
int budget(const CommandQueue::Wish& w, const AssumedStates& states) {
    return w.kind == Kind::Steps ? std::abs(w.value) + 1 : states.fullSteps() + 2;
}
} // namespace

bool CommandQueue::add(const Wish& wish) {
    const auto same =
        std::find_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.wish.unit == wish.unit; });
    if (same != waiting_.end()) {
        if (wish.kind == Kind::Steps && same->wish.kind == Kind::Steps) same->wish.value += wish.value;
        else same->wish = wish;
        same->framesLeft = 0; // set anew at its next frame
        return true;
    }
    if (waiting_.size() >= MaxWaiting) return false;
    waiting_.push_back({wish, 0});
    return true;
}

std::optional<x10::Command> CommandQueue::step(Waiting& w, const AssumedStates& states, bool& done) const {
    const app::UnitAddress u = w.wish.unit;
    const x10::Command on{u.house, u.unit, x10::Action::On};
    done = true;
    switch (w.wish.kind) {
    case Kind::On: return on;
    case Kind::Off: return x10::Command{u.house, u.unit, x10::Action::Off};
    case Kind::Level: {
        const bool ready = states.lastAddressed(u.house) == u.unit && states.state(u) == true;
        const int from = states.level(u);
        done = false;
        if (!ready) return on; // addresses it, and it is at full from here on
        if (from == w.wish.value) return done = true, std::nullopt;
        return x10::Command{u.house, 0, from < w.wish.value ? x10::Action::Bri : x10::Action::Dim};
    }
    case Kind::Steps: {
        done = false;
        if (w.wish.value == 0) return done = true, std::nullopt;
        if (states.lastAddressed(u.house) != u.unit) return on;
        const bool brighter = w.wish.value > 0;
        w.wish.value += brighter ? -1 : 1;
        done = w.wish.value == 0;
        return x10::Command{u.house, 0, brighter ? x10::Action::Bri : x10::Action::Dim};
    }
    }
    return std::nullopt;
}

std::optional<x10::Command> CommandQueue::next(const AssumedStates& states) {
    while (!waiting_.empty()) {
        Waiting& w = waiting_.front();
        if (w.framesLeft == 0) w.framesLeft = budget(w.wish, states);
        bool done = false;
        const auto command = step(w, states, done);
        if (done || --w.framesLeft == 0) waiting_.pop_front();
        if (command) return command;
    }
    return std::nullopt;
}

} // namespace zul::mqtt
