#pragma once
// The "Port Setup" dialog without its widgets: which port is
// chosen, the status line, and what Apply, OK and Cancel do.
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/line_port.h"
#include "platform/serial_ports.h"
#include "x10/port_link.h"

namespace zul::windows {

class PortSetupDialogForm {
public:
    // Found: one of the ports found on the machine (foundIndex says which).
    enum class Choice { None = 0, Com1 = 1, Com2 = 2, Com3 = 3, Com4 = 4, Other = 5, Simulator = 6, Found = 7 };

    static constexpr const char* Caption = "Port Setup";
    static constexpr const char* Heading = "Select Communication Port";
    static constexpr const char* CurrentPortLabel = "Current port";
    static constexpr const char* OtherChoiceLabel = "Other (enter number)";
    static constexpr const char* SimulatorChoiceLabel = "Simulator (no transmitter)";
    static constexpr const char* OkCaption = "&OK";
    static constexpr const char* CancelCaption = "&Cancel";
    static constexpr const char* ApplyCaption = "&Apply";
    static constexpr const char* ApplyTip = "Save changes without closing window (use to test com port)";
    static constexpr const char* OkTip = "Save changes and close window";
    static constexpr const char* CancelTip = "Quit without saving";
    static constexpr const char* StatusTip = "Test com port by clicking buttons on main window";
    static constexpr const char* NotSetStatus = "Com port is not set!";
    static constexpr const char* NotCurrentlySetStatus = "Com Port is not currently set";
    static constexpr const char* CurrentlySetStatus = "Currently set to Com Port ";
    static constexpr const char* SimulatorStatus = "Currently set to the simulator";
    static constexpr const char* FoundHeading = "Ports found on this computer";
    static constexpr const char* NoneFound = "No serial port found; plug in the adapter and press Look again.";
    static constexpr const char* NotConnected = " (not connected now)";
    // "Com 1" .. "Com 4".
    static std::string comLabel(int n) { return "Com " + std::to_string(n); }

    PortSetupDialogForm(LinePort& port, x10::PortStore& store, Dialogs& dialogs);

    // Reads the stored choice and selects it; the dialog counts as shown.
    // found: the ports the machine has now (listSerialPorts).
    void show(std::vector<SerialPortEntry> found = {});
    // The ports were looked for again (one plugged in meanwhile): the choice stays.
    void setFound(std::vector<SerialPortEntry> found);
    const std::vector<SerialPortEntry>& found() const { return found_; }
    bool isShown() const { return shown_; }

    Choice choice() const { return choice_; }
    void choose(Choice c) { choice_ = c; }
    void chooseFound(int index) {
        choice_ = Choice::Found;
        foundIndex_ = index;
    }
    int foundIndex() const { return choice_ == Choice::Found ? foundIndex_ : -1; }
    // The number box used with "Other".
    const std::string& otherText() const { return otherText_; }
    void setOtherText(std::string text) { otherText_ = std::move(text); }
    const std::string& status() const { return status_; }

    // Reopens the port on the chosen port and stores it; stays shown. False
    // (with a message, nothing stored) when the choice is not a usable port.
    bool apply();
    // Apply, then close when it succeeded.
    bool ok();
    // Closes without storing anything.
    void cancel() { shown_ = false; }

private:
    void select(const std::string& port);
    std::string statusFor(const std::string& port) const;

    LinePort& port_;
    x10::PortStore& store_;
    Dialogs& dialogs_;
    Choice choice_ = Choice::None;
    std::vector<SerialPortEntry> found_;
    int foundIndex_ = -1;
    std::string otherText_;
    std::string status_;
    bool shown_ = false;
};

} // namespace zul::windows
