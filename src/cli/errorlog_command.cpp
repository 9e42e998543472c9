#include "cli/cli.h"

namespace zul::cli {

int errorlogCommand(const Args&, Io& io) { return badInput(io, "'errorlog' is not available yet"); }

} // namespace zul::cli
