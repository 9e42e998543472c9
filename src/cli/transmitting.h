#pragma once
// What send, run and the service share on Qt: handing a command to the
// running copy, opening the line port (the simulated transmitter for "sim")
// and the transmitter a subcommand sends with.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "platform/clock.h"
#include "platform/line_port.h"
#include "platform/settings_backend.h"
#include "platform/qt/posix_thread_priority.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/sim/cm17a_decoder.h"
#include "x10/transmitter.h"

namespace zul::cli {

// When a copy of the program runs (the desktop program or the service: it
// owns the transmitter), hands text to it and waits for its answer. Returns
// 0 when it is done, 1 with its error printed (and kept in error when
// given); nullopt when no copy runs.
std::optional<int> handToRunningCopy(const std::string& text, Io& io, std::string* error = nullptr);

// Opens the port; on the simulated transmitter every decoded signal goes to
// onSignal. nullptr (the reason printed) when it cannot be opened.
std::unique_ptr<LinePort> openLinePort(const std::string& port, const Clock& clock,
                                       std::function<void(const sim::DecodedSignal&)> onSignal, Io& io);

// The transmitter a subcommand sends with: real sleeps, each line state
// ending in a short busy wait, the state time from the settings, and
// real-time frames where the system allows them (a refusal is noted once in
// the program folder's error log). settings and clock must outlive it.
class CommandTransmitter {
public:
    CommandTransmitter(LinePort& line, const Clock& clock, const SettingsBackend& settings);
    x10::Transmitter& transmitter() { return transmitter_; }
    EventLoop& loop() { return loop_; }
    const bool& stopAll() const { return stopAll_; }

private:
    qt::QtEventLoop loop_;
    const bool stopAll_ = false;
    qt::PosixThreadPriority system_;
    FramePriority priority_;
    x10::Transmitter transmitter_;
};

} // namespace zul::cli
