#include "x10/switching_port.h"

namespace zul::x10 {

PortError SwitchingLinePort::open(const std::string& name) {
    close();
    name_ = name;
    current_ = factory_(name);
    if (!current_) return {PortErrorKind::InvalidPort, 8002, "no port can be made for '" + name + "'"};
    return current_->open(name);
}

void SwitchingLinePort::close() {
    if (current_ && current_->isOpen()) current_->close();
}

void SwitchingLinePort::setRts(bool high) {
    if (current_) current_->setRts(high);
}

void SwitchingLinePort::setDtr(bool high) {
    if (current_) current_->setDtr(high);
}

} // namespace zul::x10
