#pragma once
#include "platform/desktop.h"

namespace zul::qt {

// Files and web addresses open with the desktop's associated program;
// programs start detached.
class QtDesktop : public Desktop {
public:
    bool open(const std::string& pathOrUrl) override;
    bool startProgram(const std::string& program, const std::vector<std::string>& args) override;
};

} // namespace zul::qt
