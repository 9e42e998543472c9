#pragma once
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/line_port.h"

namespace zul::qt {

// The port a stored port text asks for: the simulated transmitter for "sim"
// (reporting decoded commands, keeping no history), the serial port otherwise.
std::unique_ptr<LinePort> makeLinePort(const std::string& portText);
std::unique_ptr<LinePort> makeLinePort(const std::string& portText, const Clock& clock);

} // namespace zul::qt
