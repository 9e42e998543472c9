// zulmarin: the desktop program, or one of its command-line subcommands.
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#include "ui/desktop_program.h"

namespace {
// A bare word that names no subcommand is a typing mistake, not a file for
// the desktop program: file arguments carry a dot or a folder.
bool looksLikeMistypedCommand(const std::string& arg) {
    return arg.find_first_of("./") == std::string::npos && arg != "previous";
}

bool haveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    zul::cli::Args args(argv + 1, argv + argc);
    zul::cli::Io io{std::cout, std::cerr};
    const int rc = zul::cli::dispatch(args, io);
    if (rc >= 0) return rc;
    if (!args.empty() && args[0].size() > 1 && args[0][0] == '-') {
        return zul::cli::badInput(io, "unknown option '" + args[0] + "' (try --help)");
    }
    if (!args.empty() && looksLikeMistypedCommand(args[0])) {
        return zul::cli::badInput(io, "unknown command '" + args[0] + "' (try --help)");
    }
    // While a copy runs (the desktop program or the service) it takes the
    // command line, display or not.
    if (const auto handed = zul::ui::handToRunningCopy(argc, argv, args, haveDisplay())) return *handed;
    if (!haveDisplay()) {
        io.err << "zulmarin: no display to show the desktop program on (DISPLAY is not set); "
                  "the subcommands work without one (try --help)\n";
        return 1;
    }
    return zul::ui::runDesktop(argc, argv, args);
}
