#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zul {

// The launchers the program can put into the user's folders.
enum class Launcher {
    DesktopFolder, // the user's desktop ("Create Shortcut on Desktop")
    Autostart,     // started with the user's session ("in Startup Folder", "AutoStart")
};

// What the program asks of the desktop around it.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens a file or web address with the program the desktop associates with it.
    virtual bool open(const std::string& pathOrUrl) = 0;
    // Opens a local file so; failed runs when no program could open it, at
    // once or (the desktop's opener being a program of its own) once it gave up.
    virtual void openFile(const std::string& path, std::function<void()> failed) {
        if (!open(path) && failed) failed();
    }
    // Starts another program without waiting for it.
    virtual bool startProgram(const std::string& program, const std::vector<std::string>& args) = 0;

    // Desktop integration, only ever in the user's own folders. The changes
    // return "" when done, else why they failed. A desktop without these
    // (the command line, a service) says so.
    virtual std::string setLauncher(Launcher, bool /*present*/) { return notHere(); }
    virtual bool hasLauncher(Launcher) const { return false; }
    // Macro files (*.cro) open with this program: a file type, a handler and
    // the user's default-application entry; off removes exactly those.
    virtual std::string setMacroAssociation(bool /*on*/) { return notHere(); }
    // True when macro files open with this very program now.
    virtual bool macroAssociationInPlace() const { return false; }

private:
    static std::string notHere() { return "This desktop has no launchers or file types."; }
};

} // namespace zul
