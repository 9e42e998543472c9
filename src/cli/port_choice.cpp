#include "cli/port_choice.h"

#include <filesystem>
#include <ostream>

#include "platform/qt/line_port_factory.h"
#include "platform/sim/simulated_transmitter.h"
#include "settings/error_log.h"
#include "settings/paths.h"
#include "settings/record_store.h"
#include "x10/port_link.h"

namespace zul::cli {

std::optional<std::string> ReadOnlySettings::read(const std::string& section, const std::string& key) const {
    if (auto v = local_.read(section, key)) return v;
    return base_.read(section, key);
}

bool ReadOnlySettings::write(const std::string& section, const std::string& key, const std::string& value) {
    return local_.write(section, key, value);
}

std::optional<PortOptions> parsePortOptions(const Args& args, std::string& error) {
    PortOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port") {
            if (i + 1 >= args.size()) {
                error = "--port needs a value";
                return std::nullopt;
            }
            o.port = args[++i];
        } else if (a.rfind("--port=", 0) == 0) {
            o.port = a.substr(7);
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

std::string storedPort(SettingsBackend& settings) {
    const std::filesystem::path file = recordStorePath(settings, programFolder(settings));
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return "";
    RecordStore records;
    if (!records.open(file)) return "";
    return x10::RecordPortStore(records).load();
}

std::optional<std::string> choosePort(const std::optional<std::string>& option, SettingsBackend& settings, Io& io,
                                      int& exitCode) {
    std::string error;
    if (option) {
        auto port = x10::checkPortText(*option, error);
        if (!port) exitCode = badInput(io, "--port '" + *option + "': " + error);
        return port;
    }
    const std::string stored = storedPort(settings);
    exitCode = 1;
    if (!x10::portIsSet(stored)) {
        io.err << "zulmarin: no port is set up; choose one in Port Setup or give --port\n";
        return std::nullopt;
    }
    auto port = x10::checkPortText(stored, error);
    if (!port) io.err << "zulmarin: the stored port '" << stored << "' is not usable; " << error << "\n";
    return port;
}

std::unique_ptr<LinePort> openLinePort(const std::string& port, const Clock& clock,
                                       std::function<void(const sim::DecodedSignal&)> onSignal, Io& io) {
    auto line = qt::makeLinePort(port, clock);
    if (auto* simulated = dynamic_cast<sim::SimulatedTransmitter*>(line.get()))
        simulated->setListener(std::move(onSignal));
    if (const PortError error = line->open(port)) {
        io.err << "zulmarin: cannot open port " << port << ": " << error.number << " " << error.description << "\n";
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
