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
    using Listener = std::function<void(Args...)>;

    // Returns an id for disconnect.
    int connect(Listener listener) {
        entries_.push_back({next_, std::move(listener)});
        return next_++;
    }
    void disconnect(int id) {
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; }),
                       entries_.end());
    }
    void operator()(Args... args) const {
        const auto current = entries_; // a listener may disconnect itself, or others
        for (const auto& e : current) e.call(args...);
    }
    bool empty() const { return entries_.empty(); }

private:
    struct Entry {
        int id;
        Listener call;
    };
    std::vector<Entry> entries_;
    int next_ = 1;
};

// A listener that stays connected for as long as this object lives (a
// window listening to the program it belongs to, which outlives it).
template <class... Args>
class Connection {
public:
    Connection(Signal<Args...>& signal, typename Signal<Args...>::Listener listener)
        : signal_(signal), id_(signal.connect(std::move(listener))) {}
    ~Connection() { signal_.disconnect(id_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

private:
    Signal<Args...>& signal_;
    int id_;
};

} // namespace zul
