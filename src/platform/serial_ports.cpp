#include "platform/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>

#include "platform/text.h"

namespace zul {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return trimBlanks(line);
}

// Entries of a folder, sorted by name; none when it is missing.
std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// The maker and product of the USB device a tty belongs to, from sysfs.
std::string usbDescription(const fs::path& root, const std::string& tty) {
    std::error_code ec;
    fs::path dir = fs::canonical(root / "sys/class/tty" / tty / "device", ec);
    for (int up = 0; !ec && up < 4 && dir.has_relative_path(); ++up, dir = dir.parent_path()) {
        const std::string product = firstLine(dir / "product");
        if (product.empty()) continue;
        const std::string maker = firstLine(dir / "manufacturer");
        return maker.empty() || product.starts_with(maker) ? product : maker + " " + product;
    }
    return "";
}

// "usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0" reads "FTDI FT232R USB UART A6008isP".
std::string readableById(std::string name) {
    if (name.starts_with("usb-")) name.erase(0, 4);
    if (const auto cut = name.rfind("-if"); cut != std::string::npos) name.erase(cut);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

// The by-id links and the node each points to ("ttyUSB0").
std::vector<SerialPortEntry> adapters(const fs::path& root, std::set<std::string>& seen) {
    std::vector<SerialPortEntry> out;
    const fs::path byId = root / "dev/serial/by-id";
    for (const fs::path& link : entries(byId)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(link, ec);
        if (ec) continue;
        const std::string tty = (byId / target).lexically_normal().filename().string();
        const std::string name = link.filename().string();
        const std::string description = usbDescription(root, tty);
        out.push_back(
            {"/dev/serial/by-id/" + name, "/dev/" + tty, description.empty() ? readableById(name) : description});
        seen.insert(tty);
    }
    return out;
}

// A built-in port is there when the kernel found a UART for it ("type" not 0).
bool builtInPresent(const fs::path& ttyFolder) {
    const std::string type = firstLine(ttyFolder / "type");
    return !type.empty() && type != "0";
}

int ttySNumber(const std::string& name) {
    const std::string digits = name.substr(4);
    if (digits.empty() || digits.size() > 3 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return -1;
    return std::stoi(digits);
}

} // namespace

std::vector<SerialPortEntry> listSerialPorts(const fs::path& root) {
    std::set<std::string> seen;
    std::vector<SerialPortEntry> out = adapters(root, seen);
    std::vector<std::pair<int, SerialPortEntry>> builtIn;
    for (const fs::path& tty : entries(root / "sys/class/tty")) {
        const std::string name = tty.filename().string();
        if (seen.count(name)) continue;
        if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) {
            const std::string description = usbDescription(root, name);
            out.push_back({"/dev/" + name, "/dev/" + name, description.empty() ? "USB serial adapter" : description});
        } else if (const int n = name.starts_with("ttyS") ? ttySNumber(name) : -1; n >= 0 && builtInPresent(tty)) {
            const int com = n < 4 ? n + 1 : 0;
            const std::string description =
                com ? "Built-in serial port (Com " + std::to_string(com) + ")" : "Built-in serial port";
            builtIn.push_back({n, {"/dev/" + name, "/dev/" + name, description, com}});
        }
    }
    std::sort(builtIn.begin(), builtIn.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [n, entry] : builtIn) out.push_back(std::move(entry));
    return out;
}

std::string serialPortCaption(const SerialPortEntry& port) { return port.description + " (" + port.device + ")"; }

} // namespace zul
