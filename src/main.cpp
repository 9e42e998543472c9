// zulmarin: the desktop program, or one of its command-line subcommands.
#include <iostream>

#include "cli/cli.h"
#include "ui/desktop_program.h"

int main(int argc, char** argv) {
    zul::cli::Args args(argv + 1, argv + argc);
    zul::cli::Io io{std::cout, std::cerr};
    const int rc = zul::cli::dispatch(args, io);
    if (rc >= 0) return rc;
    if (!args.empty() && args[0].size() > 1 && args[0][0] == '-') {
        return zul::cli::badInput(io, "unknown option '" + args[0] + "' (try --help)");
    }
    return zul::ui::runDesktop(argc, argv, args);
}
