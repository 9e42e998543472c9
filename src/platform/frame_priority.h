#pragma once
// Real-time scheduling while a frame is clocked out. A sending thread that the
// system pre-empts in the middle of a frame stretches one line state into a
// gap the transmitter reads as the end of a transmission, and the command is
// lost; raised to real-time scheduling for the frame's 40-odd milliseconds it
// is not pre-empted by ordinary work. Before and after the frame the thread
// runs at its normal priority.
#include <functional>
#include <system_error>

namespace zul {

// The operating system's side: the calling thread's scheduling.
class ThreadPriority {
public:
    virtual ~ThreadPriority() = default;
    // Raises the calling thread to real-time scheduling; an error when the
    // system refuses it.
    virtual std::error_code raise() = 0;
    // Back to the scheduling the thread had before a granted raise().
    virtual void restore() = 0;
};

// Raises the thread for each frame where the system allows it. After the
// first refusal it stops asking and tells onRefused, once.
class FramePriority {
public:
    FramePriority(ThreadPriority& system, std::function<void(std::error_code)> onRefused);

    void beginFrame();
    void endFrame();
    bool refused() const { return refused_; }

private:
    ThreadPriority& system_;
    std::function<void(std::error_code)> onRefused_;
    bool raised_ = false;
    bool refused_ = false;
};

} // namespace zul
