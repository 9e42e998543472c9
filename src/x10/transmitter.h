#pragma once
// The bit sender and the program-wide pause, written once against the clock,
// the event loop and the line port so that they run the same on the desktop
// and in virtual time.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/frame_priority.h"
#include "platform/line_port.h"

namespace zul {
class ErrorLog;
class SettingsBackend;
} // namespace zul

namespace zul::x10 {

// Each line state lasts at least this long unless the settings ask for more.
inline constexpr int DefaultBitStateMicros = 500;
inline constexpr int MaxBitStateMicros = 20000;
// How much of each line state the desktop program waits out busy rather
// than asleep: a sleeping thread wakes tens of microseconds late, a busy one
// to the microsecond. 0 (all asleep) for virtual time.
inline constexpr int RealTimeSpinMicros = 100;
// A thread woken from an idle processor can come hundreds of microseconds
// late. The busy part then widens to cover the lateness seen, for the rest of
// the frame and the next one, up to this much, which keeps a frame's busy
// time (80 states) within about 12 ms of processor time.
inline constexpr int MaxSpinMicros = 150;

// "Settings"/"BitStateMicros": default 500; values below 500 (the transmitter
// would miss them), above 20000 or not a number fall back to the nearest sound value.
int readBitStateMicros(const SettingsBackend& settings);

// Notes in the error log (once) that frames go out without real-time scheduling.
void noteFrameRefusal(ErrorLog& log, std::error_code refusal);

class Transmitter {
public:
    // stopAll is the program-wide flag that ends every pause while the program closes.
    Transmitter(LinePort& port, EventLoop& loop, const Clock& clock, const bool& stopAll,
                int stateMicros = DefaultBitStateMicros);

    // Clocks a bit string out on RTS and DTR. Runs a 70 ms settle pause first
    // (the only point where other events run); the bits themselves go out
    // without processing events, so two frames never interleave.
    void sendBits(const std::string& bits);

    // Waits, keeping the program responsive; returns early when stopAll is
    // set. Zero or negative returns at once without processing events.
    void pause(double seconds);

    // What a macro run ends with: the trailer, 150 ms without events, the trailer again.
    void endOfRun();

    int stateMicros() const { return stateMicros_; }
    void setStateMicros(int us);
    // The busy-waited end of each line state (see RealTimeSpinMicros), and
    // how far it may widen after late wake-ups (see MaxSpinMicros).
    void setSpinMicros(int us, int maxUs = MaxSpinMicros);
    // Raises the sending thread for each frame's bits (nullptr: never).
    void setFramePriority(FramePriority* priority) { priority_ = priority; }

    // Called after every sendBits with the bits that went out (the transmit lamp).
    using SentObserver = std::function<void(const std::string& bits)>;
    // Returns an id for removeObserver.
    int addSentObserver(SentObserver observer);
    void removeSentObserver(int id);

    LinePort& port() { return port_; }

private:
    // Holds the line state just set for the state time.
    void holdState();
    // Widens the busy part to cover a wake-up that came late by that much.
    void wokeLate(std::int64_t micros);
    // The bits themselves, without events in between.
    void sendBitsNow(const std::string& bits);

    LinePort& port_;
    EventLoop& loop_;
    const Clock& clock_;
    const bool& stopAll_;
    int stateMicros_;
    int spinMicros_ = 0;
    int maxSpinMicros_ = 0;
    int margin_ = 0;            // the busy part of the states of this frame
    std::int64_t lateNow_ = 0;  // the latest wake-up of this frame
    std::int64_t lateLast_ = 0; // and of the frame before
    FramePriority* priority_ = nullptr;
    struct Observer {
        int id;
        SentObserver call;
    };
    std::vector<Observer> observers_;
    int nextObserverId_ = 1;
};

} // namespace zul::x10
