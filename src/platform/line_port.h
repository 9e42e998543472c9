#pragma once
// A serial port seen only through its two modem-control output lines.
#include <functional>
#include <string>

namespace zul {

// Port numbers as the user knows them; 8002 and 8005 keep the numbers the
// port messages have always used.
enum class PortErrorKind { None = 0, InvalidPort = 8002, PortInUse = 8005, Other = 1 };

struct PortError {
    PortErrorKind kind = PortErrorKind::None;
    int number = 0;          // 8002, 8005 or the system's error number
    std::string description; // human-readable reason
    explicit operator bool() const { return kind != PortErrorKind::None; }
};

class LinePort {
public:
    virtual ~LinePort() = default;
    // name: "1".."N" (Com N) or a device path. Opening raises both lines.
    virtual PortError open(const std::string& name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual std::string portName() const = 0;
    virtual void setRts(bool high) = 0;
    virtual void setDtr(bool high) = 0;
    // True when an open port has gone away since it was opened (a USB
    // adapter unplugged): it stays useless until it is opened again.
    virtual bool lost() const { return false; }
};

// A port with a transmitter on it that decodes what is clocked out (the
// built-in simulator): it reports each command it received ("A1 ON") and
// each burst it could not make sense of ("malformed: ...").
class DecodingPort {
public:
    virtual ~DecodingPort() = default;
    virtual void setCommandListener(std::function<void(const std::string& text)> listener) = 0;
};

} // namespace zul
