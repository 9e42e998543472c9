#include "cli/cli.h"

#include <algorithm>
#include <ostream>

#include "platform/text.h"

namespace zul::cli {

void say(Io& io, const std::string& message) { io.err << "zulmarin: " << printable(message) << "\n"; }

int badInput(Io& io, const std::string& message) {
    say(io, message);
    return 2;
}

int failed(Io& io, const std::string& message) {
    say(io, message);
    return 1;
}

bool wantsHelp(const Args& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"frame", frameCommand, "frame HOUSE UNIT ACTION          print the 40-bit frame of a command", &frameHelp},
        {"send", sendCommand, "send HOUSE UNIT ACTION [--port P] send one command through the transmitter", &sendHelp},
        {"run", runCommand, "run FILE.cro [--port P]          play a macro file", &runHelp},
        {"macro", macroCommand, "macro show|write|print FILE ...  show, write or print a macro file", &macroHelp},
        {"timers", timersCommand, "timers [list] [--at TIME]        the timers and when each runs next", &timersHelp},
        {"sun", sunCommand, "sun DATE --lat --lon --zone [--dst] sunrise, noon and sunset", &sunHelp},
        {"city", cityCommand, "city [NAME|INDEX]                the city table", &cityHelp},
        {"cipher", cipherCommand, "cipher encipher|decipher TEXT    the text cipher", &cipherHelp},
        {"errorlog", errorlogCommand, "errorlog [FILE]                  print the error log deciphered", &errorlogHelp},
        {"service", serviceCommand, "service [--port P] [--mqtt URL]  run the timers without windows (--http: web)",
         &serviceHelp},
        {"remote", remoteCommand, "remote password                  set the web remote's password", &remoteHelp},
        {"units", unitsCommand, "units [describe UNIT TEXT]       list or set the unit descriptions", &unitsHelp},
    };
    return table;
}

std::string usage() {
    std::string text = "usage: zulmarin [FILE.cro]          start the desktop program\n";
    for (const auto& c : commands()) text += std::string("       zulmarin ") + c.summary + "\n";
    text += "Each subcommand takes --help.\n";
    return text;
}

int dispatch(const Args& argv, Io& io) {
    if (argv.empty()) return -1;
    if (argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help") {
        io.out << usage();
        return 0;
    }
    for (const auto& c : commands()) {
        if (argv[0] != c.name) continue;
        const Args rest(argv.begin() + 1, argv.end());
        if (wantsHelp(rest)) {
            io.out << *c.help;
            return 0;
        }
        return c.run(rest, io);
    }
    return -1;
}

} // namespace zul::cli
