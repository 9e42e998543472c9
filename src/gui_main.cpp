// zulmarin-gui: the desktop program, and macro print --pdf (the printer
// code). zulmarin starts it with its own command line.
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#include "cli/started_commands.h"
#include "ui/desktop_program.h"

namespace {
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
    if (args.size() >= 2 && args[0] == "macro" && args[1] == "print")
        return zul::cli::macroPrintCommand(zul::cli::Args(args.begin() + 2, args.end()), io, zul::cli::printMacroToPdf);
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
