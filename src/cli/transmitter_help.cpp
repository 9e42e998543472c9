// The help texts of the subcommands zulmarin-tx runs: zulmarin prints them
// itself, without starting it.
#include "cli/cli.h"

namespace zul::cli {

const char* const sendHelp = "usage: zulmarin send HOUSE UNIT ACTION [--port PORT]\n"
                             "Sends one X10 command through the CM17A transmitter on RTS and DTR.\n"
                             "  HOUSE UNIT ACTION  as for 'zulmarin frame' (e.g. A 3 ON, P PRE DIM, K ALL ALF)\n"
                             "  --port PORT        a port number N (the device /dev/ttyS<N-1>), a device path,\n"
                             "                     or 'sim' for the built-in simulated transmitter, which prints\n"
                             "                     each frame it receives (\"A3 ON\"). Default: the port chosen in\n"
                             "                     the program's Port Setup.\n"
                             "Without --port, while the desktop program or the service runs, the command is\n"
                             "handed to it: it owns the transmitter and sends the frame between its own.\n"
                             "Exit status: 0 sent, 2 bad input, 1 the port could not be opened (or the\n"
                             "running copy could not send it; its reason is printed).\n";

const char* const runHelp = "usage: zulmarin run FILE.cro [--port PORT]\n"
                            "Plays a macro file as the main window does: the lead-in, then each row's\n"
                            "frame with 0.05 s before and after it and the row's pause less 0.1 s (at\n"
                            "least 0.15 s) after it, then the trailer twice, 0.15 s apart.\n"
                            "  --port PORT  a port number N (the device /dev/ttyS<N-1>), a device path,\n"
                            "               or 'sim' for the built-in simulated transmitter. Default: the\n"
                            "               port chosen in the program's Port Setup.\n"
                            "With --port sim each signal the transmitter receives is printed on its own\n"
                            "line: the seconds since the run began (when its last bit ended) and what it\n"
                            "was, e.g.\n"
                            "  0.109 lead-in\n"
                            "  0.314 A1 ON\n"
                            "  5.524 trailer\n"
                            "Rows that cannot be played are reported on stderr and left out.\n"
                            "Without --port, while the desktop program or the service runs, the macro is\n"
                            "handed to it and played there; the command ends once it has been played.\n"
                            "While a macro handed over earlier still plays, it says so and waits its\n"
                            "turn ('zulmarin send' never waits: its frame goes out between the macro's).\n"
                            "Ending the command (Ctrl+C) gives up the macro it handed over; the service\n"
                            "then stops a playing one after the frame under way.\n"
                            "Exit status: 0 played, 2 bad input (no such file, not a macro), 1 the port\n"
                            "could not be opened.\n";

const char* const serviceHelp = "usage: zulmarin service [--port PORT] [--mqtt URL] [--http [ADDR:]PORT]\n"
                                "Runs the timers without any window, for a machine without a desktop; a\n"
                                "service manager starts it (systemctl --user enable --now zulmarin).\n"
                                "It reads the timer table tmrdat.zul and the settings of the program folder,\n"
                                "switches the timers on and prints every timer log entry as one line on\n"
                                "standard output. Problems (a port that is missing, busy or unplugged, a timer\n"
                                "file that cannot be read) go to standard error and the error log; it keeps\n"
                                "running and tries the port again every 5 s. Changes to tmrdat.zul and to the\n"
                                "settings take effect without a restart.\n"
                                "While it runs it owns the transmitter: 'zulmarin send', 'zulmarin run' and\n"
                                "'zulmarin FILE.cro' without --port hand their command to it: single commands\n"
                                "go out between the frames of a playing macro, macros play one at a time, and\n"
                                "a 'zulmarin run' that is ended (Ctrl+C) cancels its macro. It waits while\n"
                                "the desktop program runs. SIGTERM or SIGINT stops it cleanly.\n"
                                "  --port PORT  a port number N (the device /dev/ttyS<N-1>), a device path,\n"
                                "               or 'sim'. Default: the port chosen in the program's Port Setup.\n"
                                "  --mqtt URL   the MQTT broker for this run (mqtt://host:port, mqtts://host:port),\n"
                                "               instead of the one in the settings; the bridge runs even when\n"
                                "               it is switched off there.\n"
                                "  --http [ADDR:]PORT  the web remote on this address for this run (the address\n"
                                "               defaults to 127.0.0.1), even when it is switched off in the\n"
                                "               settings; it needs a password ('zulmarin remote password').\n"
                                "Exit status: 0 stopped, 2 bad input, 1 it could not start.\n";

const char* const remoteHelp = "usage: zulmarin remote password\n"
                               "Sets the password of the web remote: reads it from standard input (typed twice\n"
                               "and not shown on a terminal; else the first line) and stores only its salted\n"
                               "hash (PBKDF2-HMAC-SHA256) in the \"WebRemote\" section of the settings. Every\n"
                               "browser logs in again once a running copy of zulmarin has read the new settings.\n"
                               "The password has at least 8 characters.\n"
                               "Exit status: 0 stored, 2 bad input, 1 the settings cannot be written.\n";

} // namespace zul::cli
