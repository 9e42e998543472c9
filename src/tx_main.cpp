// zulmarin-tx: the subcommands that drive the transmitter (send, run and
// service), remote password and macro print, on Qt Core without any window or sound library.
// zulmarin starts it with its own command line.
#include <iostream>

#include "cli/cli.h"
#include "cli/started_commands.h"

int main(int argc, char** argv) {
    const zul::cli::Args args(argv + 1, argv + argc);
    zul::cli::Io io{std::cout, std::cerr};
    const zul::cli::Args rest(args.empty() ? args.end() : args.begin() + 1, args.end());
    const std::string command = args.empty() ? std::string() : args[0];
    if (command == "send") return zul::cli::sendCommand(rest, io);
    if (command == "run") return zul::cli::runCommand(rest, io);
    if (command == "service") return zul::cli::serviceCommand(rest, io);
    if (command == "remote") return zul::cli::remoteCommand(rest, io);
    if (command == "macro" && !rest.empty() && rest[0] == "print")
        return zul::cli::macroPrintCommand(zul::cli::Args(rest.begin() + 1, rest.end()), io, nullptr);
    return zul::cli::badInput(io,
                              "zulmarin-tx runs send, run, service, remote and macro print for zulmarin (try zulmarin --help)");
}
