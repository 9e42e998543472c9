#include "platform/qt/line_port_factory.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "platform/qt/serial_line_port.h"
#include "platform/sim/simulated_transmitter.h"
#include "platform/system_clock.h"

namespace zul::qt {

std::unique_ptr<LinePort> makeLinePort(const std::string& portText, const Clock& clock) {
    std::string t = portText;
    t.erase(std::remove_if(t.begin(), t.end(), [](unsigned char c) { return std::isspace(c); }), t.end());
    if (equalsNoCase(t, "sim")) return std::make_unique<sim::SimulatedTransmitter>(clock, false);
    return std::make_unique<SerialLinePort>();
}

std::unique_ptr<LinePort> makeLinePort(const std::string& portText) {
    static const SystemClock clock; // stateless: reads the system clocks
    return makeLinePort(portText, clock);
}

} // namespace zul::qt
