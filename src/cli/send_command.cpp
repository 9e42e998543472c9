#include <optional>
#include <ostream>

#include "cli/cli.h"
#include "handoff/instance_message.h"
#include "cli/port_choice.h"
#include "cli/started_commands.h"
#include "cli/transmitting.h"
#include "platform/sim/simulated_transmitter.h"
#include "platform/system_clock.h"
#include "settings/paths.h"
#include "x10/x10_codes.h"

namespace zul::cli {

namespace {

int transmit(const std::string& port, const std::string& frame, const SettingsBackend& settings, Io& io) {
    const SystemClock clock;
    auto line = openLinePort(
        port, clock, [&io](const sim::DecodedSignal& s) { io.out << s.text << "\n"; }, io);
    if (!line) return 1;
    CommandTransmitter tx(*line, clock, settings);
    tx.transmitter().sendBits(frame);
    line->close();
    return 0;
}

} // namespace

int sendCommand(const Args& args, Io& io) {
    std::string error;
    const auto options = parsePortOptions(args, error);
    if (!options) return badInput(io, error);
    if (options->positional.size() != 3)
        return badInput(io, "send needs HOUSE UNIT ACTION, e.g. 'zulmarin send A 3 ON --port sim'");
    const auto command =
        x10::parseCommand(options->positional[0], options->positional[1], options->positional[2], error);
    if (!command) return badInput(io, error);
    if (!options->port) {
        const auto& words = options->positional;
        if (const auto handed = handToRunningCopy(app::sendRequestText(words[0], words[1], words[2]), io))
            return *handed;
    }

    UserSettings user(io);
    SettingsBackend& settings = user.settings;
    int status = 0;
    const auto port = choosePort(options->port, settings, io, status);
    if (!port) return status;
    return transmit(*port, x10::X10Codes().frameFor(*command), settings, io);
}

} // namespace zul::cli
