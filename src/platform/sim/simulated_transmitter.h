#pragma once
// A line port with a virtual CM17A on it: every frame clocked out is decoded
// and reported as text ("A1 ON", "P BRI", "K ALF"). The port the user picks
// with "sim" when there is no transmitter at hand, and the test double for
// whole-program tests.
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/line_port.h"
#include "platform/sim/cm17a_decoder.h"
#include "platform/sim/recording_line_port.h"

namespace zul::sim {

class SimulatedTransmitter : public LinePort {
public:
    // keepHistory false keeps neither line events nor signals (a long run).
    explicit SimulatedTransmitter(const Clock& clock, bool keepHistory = true);

    PortError open(const std::string& name) override { return lines_.open(name); }
    void close() override;
    bool isOpen() const override { return lines_.isOpen(); }
    std::string portName() const override { return lines_.portName(); }
    void setRts(bool high) override { lines_.setRts(high); }
    void setDtr(bool high) override { lines_.setDtr(high); }

    // Called with every decoded frame, lead-in, trailer or malformed burst.
    void setListener(std::function<void(const DecodedSignal&)> listener) { listener_ = std::move(listener); }

    // The texts of the decoded commands only ("A1 ON", ...).
    std::vector<std::string> commands() const;
    RecordingLinePort& lines() { return lines_; }
    Cm17aDecoder& decoder() { return decoder_; }

private:
    RecordingLinePort lines_;
    Cm17aDecoder decoder_;
    std::function<void(const DecodedSignal&)> listener_;
};

} // namespace zul::sim
