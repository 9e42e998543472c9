#include "cli/cli.h"

namespace zul::cli {

int frameCommand(const Args&, Io& io) { return badInput(io, "'frame' is not available yet"); }

} // namespace zul::cli
