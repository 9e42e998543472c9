#include "cli/cli.h"

namespace zul::cli {

int sendCommand(const Args&, Io& io) { return badInput(io, "'send' is not available yet"); }

} // namespace zul::cli
