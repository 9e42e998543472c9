// The manual page zulmarin(1), made from the subcommand table and each
// subcommand's own --help text, so a subcommand added to the table is in the
// page without further work.
#include <sstream>

#include "cli/cli.h"

namespace zul::cli {

namespace {

// Text for roff: backslashes and minus signs kept as typed, and a line that
// starts with a control character ("." or "'") kept as text.
std::string roffText(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out;
}

constexpr const char* kHead =
    ".TH ZULMARIN 1 \"\" \"Zulmarin " ZUL_VERSION "\" \"User Commands\"\n"
    ".SH NAME\n"
    "zulmarin \\- home\\-automation controller for X10 modules through a CM17A transmitter\n"
    ".SH SYNOPSIS\n"
    ".B zulmarin\n"
    ".RI [ FILE.cro ]\n"
    ".br\n"
    ".B zulmarin\n"
    ".I command\n"
    ".RI [ arguments ]\n"
    ".SH DESCRIPTION\n"
    "Without a command, or with a macro file, zulmarin starts the desktop program: it switches\n"
    "X10 lamp and appliance modules through a CM17A transmitter on a serial port, plays macros\n"
    "(\\fB.cro\\fR files), switches quick groups and runs timers. Only one copy runs per user;\n"
    "a second start hands its macro file to the running copy.\n"
    ".PP\n"
    "The commands below work without a display. Each takes \\fB\\-\\-help\\fR.\n"
    "Bad input ends with exit status 2 and a one\\-line message.\n"
    ".SH COMMANDS\n";

constexpr const char* kTail =
    ".SH FILES\n"
    ".TP\n"
    ".I ~/.config/zulmarin/settings.ini\n"
    "The settings (\\fB$XDG_CONFIG_HOME\\fR is honoured).\n"
    ".TP\n"
    ".I ~/.local/share/zulmarin/\n"
    "The program folder of an installed program: the record store \\fIdb.zld\\fR, the group files\n"
    "\\fIfile0.grp\\fR to \\fIfile7.grp\\fR, the timer table \\fItmrdat.zul\\fR and the logs\n"
    "\\fITimerLog.log\\fR and \\fIerror.log\\fR (\\fB$XDG_DATA_HOME\\fR is honoured).\n"
    ".TP\n"
    ".I /usr/share/zulmarin/\n"
    "Sounds, language files and help pages shipped with the program.\n"
    ".SH ENVIRONMENT\n"
    ".TP\n"
    ".B ZULMARIN_CONFIG_DIR\n"
    "Another folder for the settings.\n"
    ".TP\n"
    ".B ZULMARIN_HOME\n"
    "Another program folder.\n"
    ".SH NOTES\n"
    "A real serial port needs the user in the \\fBdialout\\fR group. While a frame is clocked out,\n"
    "the sending thread asks for real\\-time scheduling within \\fBRLIMIT_RTPRIO\\fR; where it is\n"
    "refused, frames go out at normal priority and the error log notes it once.\n";

} // namespace

std::string manPage() {
    std::ostringstream page;
    page << kHead;
    for (const Command& c : commands()) page << ".SS " << c.name << "\n.nf\n" << roffText(*c.help) << ".fi\n";
    page << kTail;
    return page.str();
}

} // namespace zul::cli
