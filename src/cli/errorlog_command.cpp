#include <ostream>

#include "cli/cli.h"
#include "cli/port_choice.h"
#include "platform/text.h"
#include "settings/error_log.h"
#include "settings/paths.h"

namespace zul::cli {

const char* const errorlogHelp = "usage: zulmarin errorlog [FILE]\n"
                                 "Prints the entries of an error log deciphered, one per line after the time they\n"
                                 "were logged. FILE defaults to error.log in the program folder.\n";

int errorlogCommand(const Args& args, Io& io) {
    if (args.size() > 1) return badInput(io, "errorlog takes at most one FILE");
    std::filesystem::path file;
    if (args.empty()) {
        const UserSettings user(io);
        file = programFolder(user.settings) / "error.log";
    } else {
        file = args[0];
    }
    const ErrorLogContents log = readErrorLog(file);
    if (!log.problem.empty()) return failed(io, "cannot read the error log " + file.string() + ": " + log.problem);
    for (const auto& e : log.entries) io.out << printable(e.logged + "  " + e.message) << "\n";
    return 0;
}

} // namespace zul::cli
