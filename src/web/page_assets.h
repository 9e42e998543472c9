#pragma once
// The page's files (web/page/), built into the program: index.html,
// remote.js and remote.css, each under its path with its content type.
#include <vector>

#include "web/api.h"

namespace zul::web {

std::vector<Asset> pageAssets();

} // namespace zul::web
