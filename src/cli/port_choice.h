#pragma once
// What the subcommands share: the user's settings read only, and for those
// that drive the transmitter the --port option, the port chosen in Port
// Setup, and opening the line port (the simulated transmitter for "sim").
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
#include "settings/settings_store.h"
#include "x10/transmitter.h"

namespace zul::cli {

// Reads the real settings and keeps any write to itself: a subcommand changes nothing.
class ReadOnlySettings : public SettingsBackend {
public:
    explicit ReadOnlySettings(const SettingsBackend& base) : base_(base) {}
    std::optional<std::string> read(const SettingKey& key) const override;
    bool write(const SettingKey& key, const std::string& value) override;
    // Nothing is removed from the real settings; a key written here goes again.
    bool remove(const SettingKey& key) override { return local_.remove(key); }

    std::string readProblem() const override { return base_.readProblem(); }

private:
    const SettingsBackend& base_;
    MemorySettings local_;
};

// The user's settings.ini, read only. When the file cannot be read, one line
// on standard error and an entry in the error log say so, and the subcommand
// runs on the defaults.
struct UserSettings {
    explicit UserSettings(Io& io);
    IniSettingsStore file;
    ReadOnlySettings settings{file};
};

// The arguments with "--port P" / "--port=P" taken out.
struct PortOptions {
    Args positional;
    std::optional<std::string> port;
};
// nullopt with error set for a --port without value or an unknown option.
std::optional<PortOptions> parsePortOptions(const Args& args, std::string& error);

// The port chosen in Port Setup (record 270), "" when none. problem is set
// when the record store exists but cannot be opened.
std::string storedPort(SettingsBackend& settings, std::string& problem);

// The port to use: the checked --port when given, else the stored one. On
// failure the reason is printed and exitCode is set (2 bad --port, 1 none
// stored or the record store cannot be opened).
std::optional<std::string> choosePort(const std::optional<std::string>& option, SettingsBackend& settings, Io& io,
                                      int& exitCode);

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
