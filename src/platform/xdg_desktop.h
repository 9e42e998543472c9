#pragma once
// The program's place on a freedesktop.org desktop, written as plain files in
// the user's own folders: launchers (desktop folder, autostart), the macro
// file type (shared-mime-info package), the handler entry that opens macro
// files, and the default-application line in mimeapps.list. Every file the
// program writes carries its mark, and removal takes away only what carries
// it; in mimeapps.list only this program's id is taken out of its lines.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace zul {

inline constexpr const char* kMacroMimeType = "application/x-zulmarin-macro";
inline constexpr const char* kDesktopId = "zulmarin.desktop";

// The user's folders, from HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and the
// desktop folder named in user-dirs.dirs.
struct XdgFolders {
    std::filesystem::path configHome; // $XDG_CONFIG_HOME, else ~/.config
    std::filesystem::path dataHome;   // $XDG_DATA_HOME, else ~/.local/share
    std::filesystem::path desktop;    // XDG_DESKTOP_DIR, else ~/Desktop

    static XdgFolders fromEnvironment();
    std::filesystem::path launcher(Launcher where) const;
    std::filesystem::path handler() const;     // the entry that opens macro files
    std::filesystem::path mimePackage() const; // the macro file type
    std::filesystem::path mimeApps() const;    // the user's default applications
};

// XDG_DESKTOP_DIR as user-dirs.dirs sets it ("$HOME/..." or an absolute
// path); nullopt when the file does not set it.
std::optional<std::filesystem::path> desktopDirFromUserDirs(const std::string& text, const std::filesystem::path& home);

// A desktop entry that starts program with an optional file (%f). generated
// adds the mark by which the program knows its own files again.
std::string desktopEntryText(const std::string& program, const std::string& icon, bool generated);
// The Exec value's program: quoted, with the escapes desktop entries require.
std::string desktopExecProgram(const std::string& program);
// The shared-mime-info package of the macro file type.
std::string macroMimePackageText();

// mimeapps.list edits that leave every other line as it was. Adding puts this
// program's id first in the macro type's default and added lists; removing
// takes only that id out again (and a line or section it leaves empty).
std::string withMacroHandler(const std::string& list);
std::string withoutMacroHandler(const std::string& list);
// The first id of the macro type's default-application line ("" when none).
std::string defaultMacroHandler(const std::string& list);

// The full path of an executable named name on PATH ("" when there is none).
std::string findOnPath(const std::string& name);

class XdgIntegration {
public:
    // Runs a desktop database tool (update-mime-database, ...) without waiting.
    using RunTool = std::function<void(const std::string& tool, const std::vector<std::string>& args)>;

    XdgIntegration(XdgFolders folders, std::filesystem::path program, std::string icon, RunTool runTool = {});

    std::string setLauncher(Launcher where, bool present);
    bool hasLauncher(Launcher where) const;
    std::string setMacroAssociation(bool on);
    bool macroAssociationInPlace() const;

    const XdgFolders& folders() const { return folders_; }

private:
    std::string entryText() const;
    std::string associate();
    std::string dissociate();
    void refreshDatabases() const;
    void forgetDatabases() const;
    void runTool(const char* name, const std::filesystem::path& folder) const;

    XdgFolders folders_;
    std::filesystem::path program_;
    std::string icon_;
    RunTool runTool_;
};

} // namespace zul
