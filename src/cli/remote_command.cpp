// zulmarin remote password: the web remote's password, read from standard
// input and stored only as its salted hash.
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <ostream>

#include "cli/cli.h"
#include "cli/started_commands.h"
#include "settings/paths.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"
#include "web/qt/qt_key_derivation.h"
#include "web/web_settings.h"

namespace zul::cli {

namespace {

// One line of standard input, without its line break; on a terminal it is
// not shown while typed. nullopt at the end of the input.
std::optional<std::string> readSecretLine(Io& io, const char* prompt) {
    const bool terminal = isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal && tcgetattr(STDIN_FILENO, &saved) == 0) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        io.err << prompt << std::flush;
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        io.err << "\n";
    }
    if (!got && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace

int remoteCommand(const Args& args, Io& io) {
    if (args.size() != 1 || args[0] != "password") return badInput(io, "remote takes one word: password (try --help)");
    const auto password = readSecretLine(io, "New password for the web remote: ");
    if (!password) return badInput(io, "no password was given on standard input");
    if (const std::string why = web::passwordProblem(*password); !why.empty()) return badInput(io, why);
    if (isatty(STDIN_FILENO) == 1 && readSecretLine(io, "The same password again: ") != password)
        return badInput(io, "the two passwords differ; nothing was stored");
    IniSettingsStore settings(configFolder() / "settings.ini");
    const web::qt::QtKeyDerivation keys;
    if (!settings.write(Setting::WebRemotePassword, web::hashPassword(keys, *password)))
        return failed(io, "the password cannot be stored: " + settings.writeProblem());
    io.out << "The web remote's password is set.\n";
    return 0;
}

} // namespace zul::cli
