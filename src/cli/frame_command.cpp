#include <ostream>

#include "cli/cli.h"
#include "x10/x10_codes.h"

namespace zul::cli {

const char* const frameHelp =
    "usage: zulmarin frame HOUSE UNIT ACTION\n"
    "Prints the 40-bit CM17A frame of one X10 command.\n"
    "  HOUSE   A to P\n"
    "  UNIT    1 to 16 with ON and OFF, PRE with BRI and DIM, ALL with ALN, ALF and AUF\n"
    "  ACTION  ON, OFF, BRI, DIM, ALN (all lights on), ALF (all lights off), AUF (all units off)\n"
    "Letter case does not matter. Example: zulmarin frame a 1 on\n";

int frameCommand(const Args& args, Io& io) {
    if (args.size() != 3) return badInput(io, "frame needs HOUSE UNIT ACTION, e.g. 'zulmarin frame A 1 ON'");
    std::string error;
    const auto command = x10::parseCommand(args[0], args[1], args[2], error);
    if (!command) return badInput(io, error);
    io.out << x10::X10Codes().frameFor(*command) << "\n";
    return 0;
}

} // namespace zul::cli
