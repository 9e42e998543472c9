#include "cli/cli.h"

namespace zul::cli {

int macroCommand(const Args&, Io& io) { return badInput(io, "'macro' is not available yet"); }

} // namespace zul::cli
