#include "app/port_keeper.h"

#include "app/app.h"
#include "x10/port_link.h"

namespace zul::app {

namespace {
const std::string RetryText = "; trying again every " + std::to_string(PortKeeper::RetryMs / 1000) + " s";
}

PortKeeper::PortKeeper(App& app, std::optional<std::string> given, Say opened, Say problem)
    : app_(app), given_(std::move(given)), opened_(std::move(opened)), problem_(std::move(problem)) {
    tick_ = app.loop.createTick("portKeeper", RetryMs, [this] { check(); });
}

PortKeeper::~PortKeeper() = default;

void PortKeeper::start() {
    tryOpen();
    tick_->setEnabled(true);
}

void PortKeeper::stop() {
    tick_->setEnabled(false);
    app_.port.close();
}

void PortKeeper::check() {
    if (!app_.port.isOpen()) {
        tryOpen();
        return;
    }
    if (!app_.port.lost()) return;
    app_.port.close();
    wasOpen_ = false;
    problem("the port " + port_ + " has gone away" + RetryText);
}

void PortKeeper::tryOpen() {
    // The stored choice is read again each time: it may have been set meanwhile.
    port_ = given_ ? *given_ : app_.portStore.load();
    if (!x10::portIsSet(port_)) {
        problem("no port is set up; choose one in Port Setup of the desktop program or start the service with --port" +
                RetryText);
        return;
    }
    if (const PortError error = app_.port.open(port_)) {
        problem("cannot open port " + port_ + ": " + std::to_string(error.number) + " " + error.description +
                RetryText);
        return;
    }
    if (!wasOpen_ && opened_) opened_("transmitter port " + port_ + " is open");
    wasOpen_ = true;
    lastProblem_.clear();
}

void PortKeeper::problem(const std::string& line) {
    if (line == lastProblem_) return; // once per state, not every few seconds
    lastProblem_ = line;
    if (problem_) problem_(line);
}

PortWatch::PortWatch(App& app, Say said) : app_(app), said_(std::move(said)) {
    tick_ = app.loop.createTick("portWatch", CheckMs, [this] { check(); });
}

PortWatch::~PortWatch() = default;

void PortWatch::start() { tick_->setEnabled(true); }

void PortWatch::check() {
    if (lost_.empty()) {
        if (!app_.port.isOpen() || !app_.port.lost()) return;
        lost_ = app_.port.portName();
        app_.port.close();
        app_.portProblem = "The transmitter's port " + lost_ + " has gone away; it is opened again when it is back.";
        app_.logError("PortWatch", "frmFire", app_.portProblem);
        if (said_) said_(app_.portProblem);
        return;
    }
    // Another port chosen in Port Setup meanwhile ends the wait.
    const bool back = app_.port.isOpen() || !app_.port.open(lost_);
    if (!back) return;
    if (said_) said_("The transmitter's port " + app_.port.portName() + " is open again.");
    lost_.clear();
    app_.portProblem.clear();
}

} // namespace zul::app
