#pragma once
// The command-line subcommands of zulmarin. Each returns the process exit code:
// 0 on success, 2 with a one-line message on bad input, 1 when the work itself failed.
#include <iosfwd>
#include <string>
#include <vector>

namespace zul::cli {

using Args = std::vector<std::string>; // the arguments after the subcommand name

struct Io {
    std::ostream& out;
    std::ostream& err;
};

// Prints "zulmarin: <message>" to err as one line, control characters and
// bytes that are not UTF-8 escaped (the message may quote what was typed).
void say(Io& io, const std::string& message);
// say, then 2: the input was bad.
int badInput(Io& io, const std::string& message);
// say, then 1: the work itself failed.
int failed(Io& io, const std::string& message);
// True when the arguments ask for help ("--help" or "-h" anywhere).
bool wantsHelp(const Args& args);

// Run by zulmarin itself; cli/started_commands.h has the others.
int frameCommand(const Args& args, Io& io);
int cipherCommand(const Args& args, Io& io);
int errorlogCommand(const Args& args, Io& io);
int macroCommand(const Args& args, Io& io);
int sunCommand(const Args& args, Io& io);
int cityCommand(const Args& args, Io& io);
int timersCommand(const Args& args, Io& io);
int unitsCommand(const Args& args, Io& io);

// Runs zulmarin's command line argv (the words after "zulmarin") in the
// program of the package named (platform/package_programs.h), which takes
// this process over; returns 1, the reason said, only when it cannot start.
int runInProgram(const char* program, const Args& argv, Io& io);

// Each subcommand's --help text.
extern const char* const frameHelp;
extern const char* const sendHelp;
extern const char* const cipherHelp;
extern const char* const errorlogHelp;
extern const char* const macroHelp;
extern const char* const sunHelp;
extern const char* const cityHelp;
extern const char* const runHelp;
extern const char* const serviceHelp;
extern const char* const timersHelp;
extern const char* const unitsHelp;
extern const char* const remoteHelp;

struct Command {
    const char* name;
    int (*run)(const Args&, Io&); // nullptr: program runs it
    const char* summary;
    const char* const* help;
    const char* program = nullptr; // the program of the package that runs it in zulmarin's place
};
const std::vector<Command>& commands();
// Dispatches argv[1..]; returns -1 when argv[1] names no subcommand.
int dispatch(const Args& argv, Io& io);
std::string usage();
// The manual page zulmarin(1) in roff, one section per subcommand from its help text.
std::string manPage();

} // namespace zul::cli
