#include "x10/port_setup.h"

namespace zul::x10 {

PortSetup::PortSetup(LinePort& port, PortStore& store, Dialogs& dialogs)
    : port_(port), store_(store), dialogs_(dialogs) {}

void PortSetup::show() {
    shown_ = true;
    choice_ = Choice::None;
    otherText_.clear();
    const std::string stored = store_.load();
    std::string error;
    if (!portIsSet(stored)) {
        // Nothing stored: show what the port object is on, if anything.
        if (auto current = checkPortText(port_.portName(), error)) select(*current);
        status_ = NotSetStatus;
        return;
    }
    if (auto port = checkPortText(stored, error)) {
        select(*port);
        status_ = statusFor(*port);
    } else {
        status_ = NotCurrentlySetStatus;
    }
}

void PortSetup::select(const std::string& port) {
    if (port == SimulatorPortText) {
        choice_ = Choice::Simulator;
    } else if (port.size() == 1 && port[0] >= '1' && port[0] <= '4') {
        choice_ = static_cast<Choice>(port[0] - '0');
    } else {
        choice_ = Choice::Other;
        otherText_ = port;
    }
}

std::string PortSetup::statusFor(const std::string& port) const {
    return port == SimulatorPortText ? SimulatorStatus : CurrentlySetStatus + port;
}

bool PortSetup::apply() {
    std::string text;
    switch (choice_) {
    case Choice::None: text = ""; break;
    case Choice::Other: text = otherText_; break;
    case Choice::Simulator: text = SimulatorPortText; break;
    default: text = std::to_string(static_cast<int>(choice_)); break;
    }
    std::string error;
    const auto port = checkPortText(text, error);
    if (!port) {
        dialogs_.message(error);
        return false;
    }
    if (port_.isOpen()) port_.close();
    const PortError openError = port_.open(*port);
    if (!store_.save(*port)) {
        dialogs_.message("The port choice could not be saved.");
        return false;
    }
    status_ = statusFor(*port);
    // The user tests the port by sending; a port that did not open says so here.
    if (openError) status_ += " (not open: " + openError.description + ")";
    return true;
}

bool PortSetup::ok() {
    if (!apply()) return false;
    shown_ = false;
    return true;
}

} // namespace zul::x10
