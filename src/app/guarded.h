#pragma once
// A handler that goes on after a failing step and, at its end, writes the
// last failure to the error log under its own procedure and window names.
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
            failure_ = e.what();
        } catch (...) {
            failure_ = "unknown error";
        }
    }
    bool failed() const { return !failure_.empty(); }

private:
    App& app_;
    std::string procedure_, window_;
    std::string failure_;
};

} // namespace zul::app
