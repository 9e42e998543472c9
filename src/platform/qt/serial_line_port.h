#pragma once
// The transmitter's serial port on QSerialPort: opened "9600,N,8,1" and
// driven only through its RTS and DTR lines.
#include <memory>
#include <string>

#include "platform/line_port.h"

class QSerialPort;

namespace zul::qt {

class SerialLinePort : public LinePort {
public:
    SerialLinePort();
    ~SerialLinePort() override;

    // A number N is Com N, the device /dev/ttyS<N-1>; an absolute path is
    // used as it is. No such device is error 8002, a port locked or busy
    // 8005; a port the user may not open keeps its own message.
    PortError open(const std::string& name) override;
    void close() override;
    bool isOpen() const override;
    std::string portName() const override { return name_; }
    void setRts(bool high) override;
    void setDtr(bool high) override;
    // The device node is gone, or a line change failed the way a removed
    // device fails (EIO, ENXIO, ENODEV).
    bool lost() const override;

    // The device a port text names, "" when it names none.
    static std::string devicePath(const std::string& portText);

private:
    void setLine(int line, bool high);
    PortError openDevice(const std::string& path);

    std::unique_ptr<QSerialPort> serial_;
    int fd_ = -1; // serial_'s descriptor while it is open
    std::string name_;
    std::string path_;
    bool failed_ = false;
};

} // namespace zul::qt
