#pragma once
// A line port with a virtual CM17A on it: every frame clocked out is decoded
// and reported as text ("A1 ON", "P BRI", "K ALF"). The port the user picks
// with "sim" when there is no transmitter at hand, and the transmitter of
// whole-program tests.
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/line_port.h"
#include "platform/sim/cm17a_decoder.h"

namespace zul::sim {

class SimulatedTransmitter : public LinePort, public DecodingPort {
public:
    // keepHistory false keeps no decoded signals (a long run).
    explicit SimulatedTransmitter(const Clock& clock, bool keepHistory = true);

    // Opening raises both lines; it never fails.
    PortError open(const std::string& name) override;
    // Closing ends an unfinished burst and lowers both lines, as the serial driver does.
    void close() override;
    bool isOpen() const override { return open_; }
    std::string portName() const override { return name_; }
    // Calls while closed change nothing.
    void setRts(bool high) override;
    void setDtr(bool high) override;

    // Called with every decoded frame, lead-in, trailer or malformed burst.
    void setListener(std::function<void(const DecodedSignal&)> listener) { listener_ = std::move(listener); }
    // Called with the text of every command and malformed burst only.
    void setCommandListener(std::function<void(const std::string& text)> listener) override;

    // The texts of the decoded commands only ("A1 ON", ...).
    std::vector<std::string> commands() const;
    Cm17aDecoder& decoder() { return decoder_; }

private:
    void lower();
    void setLine(bool& line, bool high);

    const Clock& clock_;
    bool open_ = false;
    bool rts_ = false;
    bool dtr_ = false;
    std::string name_;
    Cm17aDecoder decoder_;
    std::function<void(const DecodedSignal&)> listener_;
};

} // namespace zul::sim
