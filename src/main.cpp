// zulmarin: the command users run. It runs the subcommands that need no Qt
// itself, so scripts calling it often start a small program; the windows
// (and macro print) run in zulmarin-gui, send, run and service in
// zulmarin-tx, which it starts in its place.
#include <iostream>

#include "cli/cli.h"
#include "platform/package_programs.h"

namespace {
// A bare word that names no subcommand is a typing mistake, not a file for
// the desktop program: file arguments carry a dot or a folder.
bool looksLikeMistypedCommand(const std::string& arg) {
    return arg.find_first_of("./") == std::string::npos && arg != "previous";
}
} // namespace

int main(int argc, char** argv) {
    const zul::cli::Args args(argv + 1, argv + argc);
    zul::cli::Io io{std::cout, std::cerr};
    const int rc = zul::cli::dispatch(args, io);
    if (rc >= 0) return rc;
    if (!args.empty() && args[0].size() > 1 && args[0][0] == '-') {
        return zul::cli::badInput(io, "unknown option '" + args[0] + "' (try --help)");
    }
    if (!args.empty() && looksLikeMistypedCommand(args[0])) {
        return zul::cli::badInput(io, "unknown command '" + args[0] + "' (try --help)");
    }
    return zul::cli::runInProgram(zul::WindowsProgram, args, io);
}
