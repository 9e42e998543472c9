#include <ostream>

#include "cli/cli.h"
#include "settings/error_log.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul::cli {

const char* const errorlogHelp =
    "usage: zulmarin errorlog [FILE]\n"
    "Prints the entries of an error log deciphered, one per line after the time they\n"
    "were logged. FILE defaults to error.log in the program folder.\n";

int errorlogCommand(const Args& args, Io& io) {
    if (args.size() > 1) return badInput(io, "errorlog takes at most one FILE");
    std::filesystem::path file;
    if (args.empty()) {
        const IniSettingsStore settings(configFolder() / "settings.ini");
        file = programFolder(settings) / "error.log";
    } else {
        file = args[0];
    }
    const auto entries = readErrorLog(file);
    if (!entries) {
        io.err << "zulmarin: no error log at " << file.string() << "\n";
        return 1;
    }
    for (const auto& e : *entries) io.out << e.logged << "  " << printable(e.message) << "\n";
    return 0;
}

} // namespace zul::cli
