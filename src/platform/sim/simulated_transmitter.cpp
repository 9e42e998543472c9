#include "platform/sim/simulated_transmitter.h"

namespace zul::sim {

SimulatedTransmitter::SimulatedTransmitter(const Clock& clock, bool keepHistory) : lines_(clock) {
    lines_.setKeepEvents(keepHistory);
    decoder_.setKeepSignals(keepHistory);
    lines_.setListener([this](const LineEvent& e) { decoder_.feed(e.micros, e.rts, e.dtr); });
    decoder_.setListener([this](const DecodedSignal& s) {
        if (listener_) listener_(s);
    });
}

void SimulatedTransmitter::close() {
    decoder_.flush();
    lines_.close();
}

std::vector<std::string> SimulatedTransmitter::commands() const {
    std::vector<std::string> out;
    for (const auto& s : decoder_.decoded())
        if (s.kind == DecodedSignal::Kind::Command) out.push_back(s.text);
    return out;
}

} // namespace zul::sim
