#pragma once
// The serial ports this machine has, found without opening any device: USB
// adapters under their /dev/serial/by-id names (which stay the same when the
// adapter is plugged in again, whatever ttyUSB number it gets) with the
// maker's and product's names from sysfs, and the built-in ports that have a
// UART behind them.
#include <filesystem>
#include <string>
#include <vector>

namespace zul {

struct SerialPortEntry {
    std::string path;        // what is stored and opened: "/dev/serial/by-id/usb-FTDI_..." or "/dev/ttyS4"
    std::string device;      // the device node it is now: "/dev/ttyUSB0"
    std::string description; // what the user knows it by: "FTDI FT232R USB UART"
    int comNumber = 0;       // 1-4 for the built-in ports Com 1 to Com 4 (ttyS0-ttyS3), else 0
};

// root is "/" on the machine; tests lay out a folder tree the same way
// (dev/serial/by-id, sys/class/tty). Adapters come first, by name, then the
// built-in ports in number order.
std::vector<SerialPortEntry> listSerialPorts(const std::filesystem::path& root = "/");

// How a listed port reads in a list: "FTDI FT232R USB UART (/dev/ttyUSB0)".
std::string serialPortCaption(const SerialPortEntry& port);

} // namespace zul
