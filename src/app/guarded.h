#pragma once
// A handler that goes on after a failing step and, at its end, writes the
// last failure to the error log under its own procedure and window names.
// A step fails by calling fail() with the user's text; an exception thrown by a
// step is a fault, so it is also reported to the process's caught-failure watch.
#include <exception>
#include <string>
#include <utility>

namespace zul::app {

class App;

class GuardedHandler {
public:
    GuardedHandler(App& app, std::string procedure, std::string window)
        : app_(app), procedure_(std::move(procedure)), window_(std::move(window)) {}
    ~GuardedHandler();
    GuardedHandler(const GuardedHandler&) = delete;
    GuardedHandler& operator=(const GuardedHandler&) = delete;

    template <class F>
    void step(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            caught(e.what());
        } catch (...) {
            caught("unknown error");
        }
    }
    // A failure the step knows of (a file that cannot be read): logged, not a fault.
    void fail(std::string text) { failure_ = std::move(text); }
    bool failed() const { return !failure_.empty(); }

private:
    void caught(std::string what);

    App& app_;
    std::string procedure_, window_;
    std::string failure_;
};

} // namespace zul::app
