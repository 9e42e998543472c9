#pragma once
// The desktop around a program without windows: programs are started as
// usual; files are opened through xdg-open when the system has it.
#include "platform/desktop.h"

namespace zul::qt {

class HeadlessDesktop : public Desktop {
public:
    bool open(const std::string& pathOrUrl) override;
    bool startProgram(const std::string& program, const std::vector<std::string>& args) override;
};

} // namespace zul::qt
