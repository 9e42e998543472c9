#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/cli.h"
#include "handoff/instance_message.h"
#include "cli/port_choice.h"
#include "cli/started_commands.h"
#include "cli/transmitting.h"
#include "macros/macro_file.h"
#include "platform/system_clock.h"
#include "settings/paths.h"
#include "timers/macro_player.h"

namespace zul::cli {

namespace {

// "12.345 A1 ON"
std::string timedLine(std::int64_t micros, const std::string& text) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", double(micros) / 1e6);
    return std::string(seconds) + " " + text + "\n";
}

int play(const std::string& port, const macros::PlayMacro& macro, const SettingsBackend& settings, Io& io) {
    const SystemClock clock;
    std::int64_t start = clock.monotonicMicros();
    auto line = openLinePort(
        port, clock, [&](const sim::DecodedSignal& s) { io.out << timedLine(s.micros - start, s.text) << std::flush; },
        io);
    if (!line) return 1;
    CommandTransmitter tx(*line, clock, settings);
    MacroPlayer player(tx.transmitter(), tx.loop(), tx.stopAll());
    start = clock.monotonicMicros();
    player.sendLeadIn();
    if (player.playRows(macro.rows, MainWindowWait)) tx.transmitter().endOfRun();
    line->close();
    return 0;
}

} // namespace

int runCommand(const Args& args, Io& io) {
    std::string error;
    const auto options = parsePortOptions(args, error);
    if (!options) return badInput(io, error);
    if (options->positional.size() != 1) return badInput(io, "run needs one macro file, e.g. 'zulmarin run wake.cro'");
    const std::filesystem::path file = options->positional[0];
    const macros::PlayMacro macro = macros::readMacroForPlay(file);
    if (!macro.opened) return badInput(io, "cannot read the macro file " + file.string() + ": " + macro.problem);
    for (const auto& p : macro.problems) say(io, file.string() + ":" + std::to_string(p.lineNumber) + ": " + p.reason);
    if (macro.rows.empty() && !macro.problems.empty())
        return badInput(io, file.string() + " has no row that can be played");

    if (!options->port)
        if (const auto handed = handToRunningCopy(app::runRequestText(std::filesystem::absolute(file)), io))
            return *handed;

    UserSettings user(io);
    SettingsBackend& settings = user.settings;
    int status = 0;
    const auto port = choosePort(options->port, settings, io, status);
    if (!port) return status;
    return play(*port, macro, settings, io);
}

} // namespace zul::cli
