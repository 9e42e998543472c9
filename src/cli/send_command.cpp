#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/cli.h"
#include "platform/qt/line_port_factory.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/sim/simulated_transmitter.h"
#include "platform/system_clock.h"
#include "settings/paths.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "x10/port_link.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul::cli {

namespace {

const char* const SendHelp =
    "usage: zulmarin send HOUSE UNIT ACTION [--port PORT]\n"
    "Sends one X10 command through the CM17A transmitter on RTS and DTR.\n"
    "  HOUSE UNIT ACTION  as for 'zulmarin frame' (e.g. A 3 ON, P PRE DIM, K ALL ALF)\n"
    "  --port PORT        a port number N (the device /dev/ttyS<N-1>), a device path,\n"
    "                     or 'sim' for the built-in simulated transmitter, which prints\n"
    "                     each frame it receives (\"A3 ON\"). Default: the port chosen in\n"
    "                     the program's Port Setup.\n"
    "Exit status: 0 sent, 2 bad input, 1 the port could not be opened.\n";

// Reads the real settings and keeps any write to itself: sending changes nothing.
class ReadOnlySettings : public SettingsBackend {
public:
    explicit ReadOnlySettings(const SettingsBackend& base) : base_(base) {}
    std::optional<std::string> read(const std::string& section, const std::string& key) const override {
        if (auto v = local_.read(section, key)) return v;
        return base_.read(section, key);
    }
    bool write(const std::string& section, const std::string& key, const std::string& value) override {
        return local_.write(section, key, value);
    }

private:
    const SettingsBackend& base_;
    MemorySettings local_;
};

// The port chosen in Port Setup (record 270), "" when none.
std::string storedPort(SettingsBackend& settings) {
    const std::filesystem::path file = recordStorePath(settings, programFolder(settings));
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return "";
    RecordStore records;
    if (!records.open(file)) return "";
    return x10::RecordPortStore(records).load();
}

struct SendOptions {
    Args positional;
    std::optional<std::string> port;
};

std::optional<SendOptions> parseOptions(const Args& args, std::string& error) {
    SendOptions o;
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
        } else if (a.size() > 1 && a[0] == '-' && a.substr(0, 2) == "--") {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.positional.size() != 3) {
        error = "send needs HOUSE UNIT ACTION, e.g. 'zulmarin send A 3 ON --port sim'";
        return std::nullopt;
    }
    return o;
}

int transmit(const std::string& port, const std::string& frame, int stateMicros, Io& io) {
    const SystemClock clock;
    auto line = qt::makeLinePort(port, clock);
    if (auto* simulated = dynamic_cast<sim::SimulatedTransmitter*>(line.get()))
        simulated->setListener([&io](const sim::DecodedSignal& s) { io.out << s.text << "\n"; });
    if (const PortError error = line->open(port)) {
        io.err << "zulmarin: cannot open port " << port << ": " << error.number << " " << error.description << "\n";
        return 1;
    }
    qt::QtEventLoop loop;
    const bool stopAll = false;
    x10::Transmitter transmitter(*line, loop, clock, stopAll, stateMicros);
    transmitter.setSpinMicros(x10::RealTimeSpinMicros);
    transmitter.SendBits(frame);
    line->close();
    return 0;
}

} // namespace

int sendCommand(const Args& args, Io& io) {
    if (wantsHelp(args)) {
        io.out << SendHelp;
        return 0;
    }
    std::string error;
    const auto options = parseOptions(args, error);
    if (!options) return badInput(io, error);
    const auto command = x10::parseCommand(options->positional[0], options->positional[1], options->positional[2], error);
    if (!command) return badInput(io, error);

    const IniSettingsStore ini(configFolder() / "settings.ini");
    ReadOnlySettings settings(ini);
    std::optional<std::string> port;
    if (options->port) {
        port = x10::checkPortText(*options->port, error);
        if (!port) return badInput(io, "--port '" + *options->port + "': " + error);
    } else {
        const std::string stored = storedPort(settings);
        if (!x10::portIsSet(stored)) {
            io.err << "zulmarin: no port is set up; choose one in Port Setup or give --port\n";
            return 1;
        }
        port = x10::checkPortText(stored, error);
        if (!port) {
            io.err << "zulmarin: the stored port '" << stored << "' is not usable; " << error << "\n";
            return 1;
        }
    }
    return transmit(*port, x10::X10Codes().frameFor(*command), x10::readBitStateMicros(settings), io);
}

} // namespace zul::cli
