#include "cli/cli.h"

namespace zul::cli {

int cityCommand(const Args&, Io& io) { return badInput(io, "'city' is not available yet"); }

} // namespace zul::cli
