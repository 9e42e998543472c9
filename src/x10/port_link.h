#pragma once
// Opening the transmitter's serial port: the stored port choice (record 270),
// openPort with its messages, the start-up retry, and the port-failure mark.
#include <functional>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/line_port.h"

namespace zul {
class RecordStore;
}

namespace zul::x10 {

class Transmitter;

inline constexpr const char* PortFalseMark = "port false";
// The stored port text that selects the built-in simulated transmitter.
inline constexpr const char* SimulatorPortText = "sim";

inline constexpr const char* PortNotSetMessage =
    "The communication port has not been set up.  Please select the port where your Firecracker is installed\n";
inline constexpr const char* PortUnavailableMessage =
    "Error: Unable to initialize the com port!\n"
    "The com port is already in use.  You will need to close the program that currently has control of the port "
    "before ZUL will work properly.";
inline constexpr const char* PortTextHint = "Enter a port number of 1 or more, or a device path such as /dev/ttyUSB0.";

// Empty or blank means no port has been chosen.
bool portIsSet(const std::string& stored);

// Checks a port as the user typed it: a number 1 or more (leading zeros and
// blanks dropped), an absolute device path, or "sim". nullopt with error set
// when it is none of those.
std::optional<std::string> checkPortText(const std::string& text, std::string& error);

// Where the chosen port is kept.
class PortStore {
public:
    virtual ~PortStore() = default;
    virtual std::string load() const = 0;
    // False when it could not be stored.
    virtual bool save(const std::string& port) = 0;
};

// The port choice in record 270 of the record store, enciphered.
class RecordPortStore : public PortStore {
public:
    explicit RecordPortStore(RecordStore& records) : records_(records) {}
    std::string load() const override;
    bool save(const std::string& port) override;

private:
    RecordStore& records_;
};

// What the start-up step found.
enum class StartupPort {
    AlreadyOpen,
    Opened,
    NotSet,          // the "not set up" message and the port dialog were shown
    Unavailable,     // busy or invalid twice: the message and the port dialog were shown
    OpenedWithError, // an other error was reported in a message box
};

class PortLink {
public:
    PortLink(LinePort& port, PortStore& store, Dialogs& dialogs, EventLoop& loop, Transmitter& transmitter,
             std::function<void()> showPortDialog);

    // True when an open was attempted and did not fail with "port in use" or
    // "invalid port". Sets the failure mark to "port false" on those two.
    bool openPort();

    // The main window's start-up step: open unless open, retry once when
    // marked "port false", then report and show the port dialog.
    StartupPort openAtStartup();

    const std::string& failureMark() const { return failureMark_; }
    void clearFailureMark() { failureMark_.clear(); }

private:
    LinePort& port_;
    PortStore& store_;
    Dialogs& dialogs_;
    EventLoop& loop_;
    Transmitter& transmitter_;
    std::function<void()> showPortDialog_;
    std::string failureMark_;
    bool lastOpenReportedError_ = false;
};

} // namespace zul::x10
