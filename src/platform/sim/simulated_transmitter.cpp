#include "platform/sim/simulated_transmitter.h"

namespace zul::sim {

SimulatedTransmitter::SimulatedTransmitter(const Clock& clock, bool keepHistory) : clock_(clock) {
    decoder_.setKeepSignals(keepHistory);
    decoder_.setListener([this](const DecodedSignal& s) {
        if (listener_) listener_(s);
    });
}

PortError SimulatedTransmitter::open(const std::string& name) {
    lower();
    open_ = true;
    name_ = name;
    setLine(rts_, true);
    setLine(dtr_, true);
    return {};
}

void SimulatedTransmitter::close() {
    decoder_.flush();
    lower();
}

void SimulatedTransmitter::lower() {
    if (!open_) return;
    setLine(rts_, false);
    setLine(dtr_, false);
    open_ = false;
}

void SimulatedTransmitter::setRts(bool high) { setLine(rts_, high); }
void SimulatedTransmitter::setDtr(bool high) { setLine(dtr_, high); }

void SimulatedTransmitter::setLine(bool& line, bool high) {
    if (!open_) return;
    line = high;
    decoder_.feed(clock_.monotonicMicros(), rts_, dtr_);
}

void SimulatedTransmitter::setCommandListener(std::function<void(const std::string& text)> listener) {
    setListener([listener = std::move(listener)](const DecodedSignal& s) {
        if (s.kind == DecodedSignal::Kind::Command || s.kind == DecodedSignal::Kind::Malformed) listener(s.text);
    });
}

std::vector<std::string> SimulatedTransmitter::commands() const {
    std::vector<std::string> out;
    for (const auto& s : decoder_.decoded())
        if (s.kind == DecodedSignal::Kind::Command) out.push_back(s.text);
    return out;
}

} // namespace zul::sim
