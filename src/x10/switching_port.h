#pragma once
// One port object for the whole program whose backing port is made anew on
// every open, so the user can move between a serial device and the
// simulated transmitter without restarting.
#include <functional>
#include <memory>
#include <string>

#include "platform/line_port.h"

namespace zul::x10 {

class SwitchingLinePort : public LinePort {
public:
    using Factory = std::function<std::unique_ptr<LinePort>(const std::string& name)>;
    explicit SwitchingLinePort(Factory factory) : factory_(std::move(factory)) {}

    PortError open(const std::string& name) override;
    void close() override;
    bool isOpen() const override { return current_ && current_->isOpen(); }
    std::string portName() const override { return name_; }
    void setRts(bool high) override;
    void setDtr(bool high) override;
    bool lost() const override { return current_ && current_->lost(); }

    // The port behind the last open (nullptr before the first).
    LinePort* current() { return current_.get(); }

private:
    Factory factory_;
    std::unique_ptr<LinePort> current_;
    std::string name_;
};

} // namespace zul::x10
