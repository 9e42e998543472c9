#pragma once
// A folder tree laid out like /dev and /sys of a machine with serial ports:
// an FTDI adapter and a second adapter under /dev/serial/by-id, an Arduino
// without a by-id link, built-in ports ttyS0 (with a UART), ttyS1 (without)
// and ttyS4. No real device is ever opened: the nodes are plain files.
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace zul::test {

inline constexpr const char* kFtdiById = "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0";
inline constexpr const char* kOtherById = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

// The by-id link of an adapter, pointing at its node (ttyUSB0, ...).
inline void plugAdapter(const std::filesystem::path& root, const std::string& byId, const std::string& tty) {
    namespace fs = std::filesystem;
    const fs::path link = root / "dev/serial/by-id" / byId;
    fs::create_directories(link.parent_path());
    fs::remove(link);
    fs::create_symlink("../../" + tty, link);
    writeFile(root / "dev" / tty, "");
}

// A tty in sysfs, its device folder under a USB device with a product name
// (none when product is empty), or a built-in port of the given UART type.
inline void sysTty(const std::filesystem::path& root, const std::string& tty, const std::string& product,
                   const std::string& maker = "", const std::string& uartType = "") {
    namespace fs = std::filesystem;
    const fs::path usb = root / "sys/devices/pci0000:00/usb1" / ("1-" + tty);
    const fs::path node = usb / "1-1:1.0" / tty / "tty" / tty;
    fs::create_directories(node);
    if (!product.empty()) writeFile(usb / "product", product + "\n");
    if (!maker.empty()) writeFile(usb / "manufacturer", maker + "\n");
    if (!uartType.empty()) writeFile(node / "type", uartType + "\n");
    fs::create_directory_symlink("../../../" + tty, node / "device");
    fs::create_directories(root / "sys/class/tty");
    fs::create_directory_symlink(fs::relative(node, root / "sys/class/tty"), root / "sys/class/tty" / tty);
}

inline void makeSerialDevices(const std::filesystem::path& root) {
    plugAdapter(root, kFtdiById, "ttyUSB0");
    sysTty(root, "ttyUSB0", "FT232R USB UART", "FTDI");
    plugAdapter(root, kOtherById, "ttyUSB1");
    sysTty(root, "ttyUSB1", "");
    sysTty(root, "ttyACM0", "Arduino Uno", "Arduino (www.arduino.cc)");
    sysTty(root, "ttyS0", "", "", "4");
    sysTty(root, "ttyS1", "", "", "0");
    sysTty(root, "ttyS4", "", "", "4");
}

} // namespace zul::test
