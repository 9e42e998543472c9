#include "cli/cli.h"

namespace zul::cli {

int cipherCommand(const Args&, Io& io) { return badInput(io, "'cipher' is not available yet"); }

} // namespace zul::cli
