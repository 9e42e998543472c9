#include "cli/cli.h"

namespace zul::cli {

int runCommand(const Args&, Io& io) { return badInput(io, "'run' is not available yet"); }

} // namespace zul::cli
