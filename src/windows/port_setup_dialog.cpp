#include "windows/port_setup_dialog.h"

#include <algorithm>

namespace zul::windows {

PortSetupDialogForm::PortSetupDialogForm(LinePort& port, x10::PortStore& store, Dialogs& dialogs)
    : port_(port), store_(store), dialogs_(dialogs) {}

void PortSetupDialogForm::show(std::vector<SerialPortEntry> found) {
    shown_ = true;
    choice_ = Choice::None;
    found_ = std::move(found);
    otherText_.clear();
    const std::string stored = store_.load();
    std::string error;
    if (!x10::portIsSet(stored)) {
        // Nothing stored: show what the port object is on, if anything.
        if (auto current = x10::checkPortText(port_.portName(), error)) select(*current);
        status_ = NotSetStatus;
        return;
    }
    if (auto port = x10::checkPortText(stored, error)) {
        select(*port);
        status_ = statusFor(*port);
    } else {
        status_ = NotCurrentlySetStatus;
    }
}

void PortSetupDialogForm::setFound(std::vector<SerialPortEntry> found) {
    const std::string chosen = foundIndex() >= 0 ? found_[static_cast<std::size_t>(foundIndex_)].path : "";
    found_ = std::move(found);
    if (!chosen.empty() || choice_ == Choice::Other) select(chosen.empty() ? otherText_ : chosen);
    std::string error;
    if (const auto stored = x10::checkPortText(store_.load(), error)) status_ = statusFor(*stored);
}

void PortSetupDialogForm::select(const std::string& port) {
    const auto listed = std::find_if(found_.begin(), found_.end(),
                                     [&port](const SerialPortEntry& p) { return p.path == port && p.comNumber == 0; });
    if (listed != found_.end()) {
        chooseFound(static_cast<int>(listed - found_.begin()));
    } else if (port == x10::SimulatorPortText) {
        choice_ = Choice::Simulator;
    } else if (port.size() == 1 && port[0] >= '1' && port[0] <= '4') {
        choice_ = static_cast<Choice>(port[0] - '0');
    } else {
        choice_ = Choice::Other;
        otherText_ = port;
    }
}

std::string PortSetupDialogForm::statusFor(const std::string& port) const {
    if (port == x10::SimulatorPortText) return SimulatorStatus;
    // An adapter stored by its by-id name that is unplugged now is found again once it is back.
    const bool missing = port.starts_with("/dev/serial/by-id/") &&
                         std::none_of(found_.begin(), found_.end(), [&port](const auto& p) { return p.path == port; });
    return CurrentlySetStatus + port + (missing ? NotConnected : "");
}

bool PortSetupDialogForm::apply() {
    std::string text;
    switch (choice_) {
    case Choice::None: text = ""; break;
    case Choice::Other: text = otherText_; break;
    case Choice::Simulator: text = x10::SimulatorPortText; break;
    case Choice::Found:
        text = foundIndex_ >= 0 && foundIndex_ < static_cast<int>(found_.size())
                   ? found_[static_cast<std::size_t>(foundIndex_)].path
                   : "";
        break;
    default: text = std::to_string(static_cast<int>(choice_)); break;
    }
    std::string error;
    const auto port = x10::checkPortText(text, error);
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

bool PortSetupDialogForm::ok() {
    if (!apply()) return false;
    shown_ = false;
    return true;
}

} // namespace zul::windows
