#pragma once
// The simulated transmitter that also keeps every RTS/DTR call with its time,
// for tests of the line sequence.
#include <string>

#include "platform/sim/simulated_transmitter.h"
#include "support/sim/recording_line_port.h"

namespace zul::sim {

class RecordingTransmitter : public SimulatedTransmitter {
public:
    explicit RecordingTransmitter(const Clock& clock) : SimulatedTransmitter(clock), lines_(clock) {}

    PortError open(const std::string& name) override {
        lines_.open(name);
        return SimulatedTransmitter::open(name);
    }
    void close() override {
        SimulatedTransmitter::close();
        lines_.close();
    }
    void setRts(bool high) override {
        lines_.setRts(high);
        SimulatedTransmitter::setRts(high);
    }
    void setDtr(bool high) override {
        lines_.setDtr(high);
        SimulatedTransmitter::setDtr(high);
    }
    RecordingLinePort& lines() { return lines_; }

private:
    RecordingLinePort lines_;
};

} // namespace zul::sim
