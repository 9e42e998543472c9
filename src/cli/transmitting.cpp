#include "cli/transmitting.h"

#include <ostream>

#include "platform/qt/line_port_factory.h"
#include "platform/qt/single_instance.h"
#include "platform/sim/simulated_transmitter.h"
#include "settings/error_log.h"
#include "settings/instance_paths.h"
#include "settings/paths.h"
#include "x10/port_link.h"

namespace zul::cli {

std::optional<int> handToRunningCopy(const std::string& text, Io& io, std::string* error) {
    std::string problem;
    const auto paths = instancePaths(problem);
    // Told to wait (a macro handed over earlier still plays), it says for what and waits on.
    const auto failure =
        qt::SingleInstance::handToRunningCopy(paths, problem, text, [&io](const std::string& what) { say(io, what); });
    if (!failure) return std::nullopt;
    if (failure->empty()) return 0;
    say(io, *failure);
    if (error) *error = *failure;
    return 1;
}

std::unique_ptr<LinePort> openLinePort(const std::string& port, const Clock& clock,
                                       std::function<void(const sim::DecodedSignal&)> onSignal, Io& io) {
    auto line = qt::makeLinePort(port, clock);
    if (auto* simulated = dynamic_cast<sim::SimulatedTransmitter*>(line.get()))
        simulated->setListener(std::move(onSignal));
    if (const PortError error = line->open(port)) {
        say(io, "cannot open port " + port + ": " + std::to_string(error.number) + " " + error.description);
        return nullptr;
    }
    return line;
}

CommandTransmitter::CommandTransmitter(LinePort& line, const Clock& clock, const SettingsBackend& settings)
    : priority_(system_,
                [&settings, &clock](std::error_code refusal) {
                    ErrorLog errors(programFolder(settings), clock);
                    x10::noteFrameRefusal(errors, refusal);
                }),
      transmitter_(line, loop_, clock, stopAll_, x10::readBitStateMicros(settings)) {
    transmitter_.setSpinMicros(x10::RealTimeSpinMicros);
    transmitter_.setFramePriority(&priority_);
}

} // namespace zul::cli
