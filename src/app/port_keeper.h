#pragma once
// The transmitter's port in a program without windows: opened at start from
// the port given on the command line or the one chosen in Port Setup; while
// it is not open (not set up, missing, busy, or gone after it was open: a
// USB adapter unplugged) the keeper says so once and tries again every few
// seconds, without ever giving up or asking anybody.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"

namespace zul::app {

class App;

class PortKeeper {
public:
    static constexpr int RetryMs = 5000;

    using Say = std::function<void(const std::string&)>;
    // given: the port named on the command line, else the stored one is used.
    // opened: a line when the port opens; problem: one line per new problem.
    PortKeeper(App& app, std::optional<std::string> given, Say opened, Say problem);
    ~PortKeeper();
    PortKeeper(const PortKeeper&) = delete;
    PortKeeper& operator=(const PortKeeper&) = delete;

    // The first try, then a check every RetryMs.
    void start();
    void stop();
    // The port text in use or last tried ("" before the first try).
    const std::string& portText() const { return port_; }

private:
    void check();
    void tryOpen();
    void problem(const std::string& line);

    App& app_;
    std::optional<std::string> given_;
    Say opened_, problem_;
    std::string port_;
    std::string lastProblem_;
    bool wasOpen_ = false;
    std::unique_ptr<Tick> tick_;
};

// The desktop program's transmitter port once it is open: when it goes away
// (a USB adapter unplugged) it is closed and said so, and opened again under
// the same name as soon as it is back (a /dev/serial/by-id name stays the
// same whatever ttyUSB number the adapter gets). Never asks anybody.
class PortWatch {
public:
    static constexpr int CheckMs = 2000;
    using Say = std::function<void(const std::string&)>;

    // said: one line for each change (gone, back); App::portProblem shows it meanwhile.
    PortWatch(App& app, Say said);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    void start();
    void check();

private:
    App& app_;
    Say said_;
    std::string lost_; // the port that went away, "" while none did
    std::unique_ptr<Tick> tick_;
};

} // namespace zul::app
