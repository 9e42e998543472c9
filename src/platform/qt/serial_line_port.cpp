#include "platform/qt/serial_line_port.h"

#include "platform/text.h"

#include <QSerialPort>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zul::qt {

namespace {

PortError invalidPort(const std::string& why) { return {PortErrorKind::InvalidPort, 8002, why}; }

} // namespace

SerialLinePort::SerialLinePort() = default;

SerialLinePort::~SerialLinePort() { close(); }

std::string SerialLinePort::devicePath(const std::string& portText) {
    const std::string t = trimBlanks(portText);
    if (t.size() > 1 && t.front() == '/') return t;
    if (t.empty() || t.size() > 4 || !std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); }))
        return "";
    const int n = std::stoi(t);
    if (n < 1) return "";
    return "/dev/ttyS" + std::to_string(n - 1);
}

PortError SerialLinePort::open(const std::string& name) {
    close();
    name_ = trimBlanks(name);
    const std::string path = devicePath(name_);
    if (path.empty()) return invalidPort("'" + name_ + "' is neither a port number nor a device path");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return invalidPort("No such device: " + path);
    if (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        return {PortErrorKind::Other, EACCES,
                "Permission denied for " + path +
                    ": add your user to the 'dialout' group (sudo usermod -aG dialout $USER) and log in again"};
    }
    return openDevice(path);
}

PortError SerialLinePort::openDevice(const std::string& path) {
    path_ = path;
    failed_ = false;
    serial_ = std::make_unique<QSerialPort>();
    serial_->setPortName(QString::fromStdString(path));
    serial_->setBaudRate(QSerialPort::Baud9600);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    errno = 0;
    // Write-only: nothing is ever read, so no read notifier (and no event loop) is needed.
    if (!serial_->open(QIODevice::WriteOnly)) {
        const int systemError = errno;
        const QSerialPort::SerialPortError kind = serial_->error();
        const std::string why = serial_->errorString().toStdString() + " (" + path + ")";
        serial_.reset();
        // Access was checked above, so a permission error here is the lock
        // file or the exclusive mode of a port someone else holds.
        if (kind == QSerialPort::DeviceNotFoundError) return invalidPort(why);
        if (kind == QSerialPort::PermissionError || systemError == EBUSY)
            return {PortErrorKind::PortInUse, 8005, "Port already open: " + why};
        return {PortErrorKind::Other, systemError ? systemError : static_cast<int>(kind), why};
    }
    fd_ = static_cast<int>(serial_->handle());
    // Raise both lines at once: the transmitter draws its power from them.
    setLine(TIOCM_RTS, true);
    setLine(TIOCM_DTR, true);
    return {};
}

void SerialLinePort::close() {
    fd_ = -1;
    if (serial_ && serial_->isOpen()) serial_->close();
    serial_.reset();
}

bool SerialLinePort::isOpen() const { return serial_ && serial_->isOpen(); }

void SerialLinePort::setLine(int line, bool high) {
    if (fd_ < 0) return;
    // One ioctl per change on the port's own descriptor: QSerialPort's setters
    // read the lines back first, and the frame path stays out of Qt.
    int bits = line;
    if (::ioctl(fd_, high ? TIOCMBIS : TIOCMBIC, &bits) != 0 && (errno == EIO || errno == ENXIO || errno == ENODEV))
        failed_ = true;
}

bool SerialLinePort::lost() const {
    if (!isOpen()) return false;
    struct stat info {};
    return failed_ || ::stat(path_.c_str(), &info) != 0;
}

void SerialLinePort::setRts(bool high) { setLine(TIOCM_RTS, high); }

void SerialLinePort::setDtr(bool high) { setLine(TIOCM_DTR, high); }

} // namespace zul::qt
