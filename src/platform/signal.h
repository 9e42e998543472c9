#pragma once
// A list of listeners to one kind of news (a frame went out, the timers were
// switched): any number may connect; each gets every emission in the order
// they connected. Single-threaded, like the rest of the logic.
#include <algorithm>
#include <functional>
#include <vector>

namespace zul {

template <class... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    // Returns an id for disconnect.
    int connect(Slot slot) {
        slots_.push_back({next_, std::move(slot)});
        return next_++;
    }
    void disconnect(int id) {
        slots_.erase(std::remove_if(slots_.begin(), slots_.end(), [id](const Entry& e) { return e.id == id; }),
                     slots_.end());
    }
    void operator()(Args... args) const {
        const auto slots = slots_;  // a listener may disconnect itself, or others
        for (const auto& e : slots) e.slot(args...);
    }
    bool empty() const { return slots_.empty(); }

private:
    struct Entry {
        int id;
        Slot slot;
    };
    std::vector<Entry> slots_;
    int next_ = 1;
};

} // namespace zul
