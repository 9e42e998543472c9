#pragma once
// `zulmarin service`: the timer machinery of the desktop program without any
// window. It loads the timer table, switches the timers on (the service
// exists to run them), keeps the transmitter's port open, prints every
// timer log entry as one line, takes the command line's requests for the
// transmitter, reloads the timer file and the settings when they change on
// disk, and stops as the program does at exit.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/event_loop.h"
#include "platform/signal.h"

namespace zul {
class ReloadableSettings;
}

namespace zul::app {

class App;
class HandOffDesk;
class PortKeeper;

// The answer to a start of the desktop program while the service runs.
inline constexpr const char* ServiceOwnsTransmitterMessage =
    "The zulmarin service is running and owns the transmitter. Stop it (systemctl --user stop zulmarin) to use "
    "the windows; meanwhile 'zulmarin send' and 'zulmarin run' hand their commands to it.";

class HeadlessService {
public:
    // Changes are taken this long after the last notice, and never while a
    // timer is being started.
    static constexpr int SettleMs = 300;
    // The clock and scheduler ticks are started this long after a whole
    // second, and again every hour as the system clock is adjusted, so a
    // timer fires early in its due second rather than most of a second late.
    static constexpr int AlignAfterMs = 15;
    static constexpr int RealignMs = 3600 * 1000;

    struct Output {
        std::function<void(const std::string&)> line;  // what ran (standard output)
        std::function<void(const std::string&)> fault; // what went wrong (standard error)
    };

    // settings: the store to read again when its file changes (nullptr: never).
    HeadlessService(App& app, ReloadableSettings* settings, Output output);
    ~HeadlessService();
    HeadlessService(const HeadlessService&) = delete;
    HeadlessService& operator=(const HeadlessService&) = delete;

    // Code tables, record store, timers (on), port (the given one, else the
    // stored one). Faults are reported and the service runs on.
    void start(const std::optional<std::string>& port);
    bool started() const { return started_; }

    // Something changed in a watched folder: the files are compared a moment
    // later and what changed is taken.
    void filesMayHaveChanged();
    // The files and folders to watch.
    std::vector<std::filesystem::path> watchedPaths() const;

    // As at exit: every pause ends, the runners stop, the closing trailer
    // goes out when a run was active, the log is saved, the port closed.
    // It takes the timer machinery down: call it from the top of the event
    // loop, never from inside a tick or a wait.
    void stop();

    HandOffDesk& desk() { return *desk_; }

private:
    void loadTimers();
    void alignTick();
    void takeChanges();
    // Says once that the timer file cannot be read; true when it was read.
    bool readTimerFile(std::error_code error);
    std::vector<std::string> loopAndTableSettings() const;
    void fault(const std::string& text);

    App& app_;
    ReloadableSettings* settings_;
    Output out_;
    std::unique_ptr<HandOffDesk> desk_;
    std::unique_ptr<PortKeeper> port_;
    std::unique_ptr<Tick> settle_, align_;
    bool aligning_ = false;
    std::filesystem::path timerFile_, settingsFile_;
    FileStamp timerStamp_, settingsStamp_;
    std::vector<std::string> tableSettings_;
    bool timerUnreadable_ = false, settingsUnreadable_ = false;
    bool started_ = false, stopped_ = false;
    // Without a transmitter at hand the simulated one shows what went out.
    Connection<> simulatorLines_;
};

} // namespace zul::app
