#include "cli/cli.h"

namespace zul::cli {

int sunCommand(const Args&, Io& io) { return badInput(io, "'sun' is not available yet"); }

} // namespace zul::cli
