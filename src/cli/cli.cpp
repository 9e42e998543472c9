#include "cli/cli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "platform/package_programs.h"
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
        {"send", nullptr, "send HOUSE UNIT ACTION [--port P] send one command through the transmitter", &sendHelp,
         TransmitterProgram},
        {"run", nullptr, "run FILE.cro [--port P]          play a macro file", &runHelp, TransmitterProgram},
        {"macro", macroCommand, "macro show|write|print FILE ...  show, write or print a macro file", &macroHelp},
        {"timers", timersCommand, "timers [list] [--at TIME]        the timers and when each runs next", &timersHelp},
        {"sun", sunCommand, "sun DATE --lat --lon --zone [--dst] sunrise, noon and sunset", &sunHelp},
        {"city", cityCommand, "city [NAME|INDEX]                the city table", &cityHelp},
        {"cipher", cipherCommand, "cipher encipher|decipher TEXT    the text cipher", &cipherHelp},
        {"errorlog", errorlogCommand, "errorlog [FILE]                  print the error log deciphered", &errorlogHelp},
        {"service", nullptr, "service [--port P] [--mqtt URL]  run the timers without windows (--http: web)",
         &serviceHelp, TransmitterProgram},
        {"remote", nullptr, "remote password                  set the web remote's password", &remoteHelp,
         TransmitterProgram},
        {"units", unitsCommand, "units [describe UNIT TEXT]       list or set the unit descriptions", &unitsHelp},
    };
    return table;
}

int runInProgram(const char* program, const Args& argv, Io& io) {
    const std::string path = packageProgram(program).string();
    std::vector<std::string> words{"zulmarin"};
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> pointers;
    for (auto& w : words) pointers.push_back(w.data());
    pointers.push_back(nullptr);
    io.out.flush();
    io.err.flush();
    ::execv(path.c_str(), pointers.data());
    return failed(io, "cannot start " + path + ": " + std::strerror(errno));
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
        return c.run ? c.run(rest, io) : runInProgram(c.program, argv, io);
    }
    return -1;
}

} // namespace zul::cli
