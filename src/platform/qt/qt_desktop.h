#pragma once
#include <filesystem>
#include <memory>

#include "platform/desktop.h"
#include "platform/xdg_desktop.h"

namespace zul::qt {

// Files and web addresses open with the desktop's associated program;
// programs start detached. Launchers and the macro file type are written into
// the user's freedesktop.org folders for the running executable.
class QtDesktop : public Desktop {
public:
    // icon: the picture the launchers show; without one, the theme's "zulmarin".
    explicit QtDesktop(const std::filesystem::path& icon = {});
    bool open(const std::string& pathOrUrl) override;
    // Through xdg-open, whose exit status says whether a program took the file.
    void openFile(const std::string& path, std::function<void()> failed) override;
    bool startProgram(const std::string& program, const std::vector<std::string>& args) override;

    std::string setLauncher(Launcher where, bool present) override { return xdg_.setLauncher(where, present); }
    bool hasLauncher(Launcher where) const override { return xdg_.hasLauncher(where); }
    std::string setMacroAssociation(bool on) override { return xdg_.setMacroAssociation(on); }
    bool macroAssociationInPlace() const override { return xdg_.macroAssociationInPlace(); }

private:
    XdgIntegration xdg_;
};

} // namespace zul::qt
