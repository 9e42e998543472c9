#pragma once
// "Uninstall Zulmarin!" and a ".zlu" argument: takes the program out of the
// user's desktop (the launchers, the autostart entry, the macro file type and
// its association) and, when the user agrees, removes the settings. Macro
// files, their backups and the program folder's data are never touched; the
// program itself is removed by the package manager or by deleting its folder.
#include <string>
#include <vector>

namespace zul::app {

class App;

class Uninstaller {
public:
    struct Item {
        std::string text;
        std::string path; // the file or folder it is about, or ""
    };

    explicit Uninstaller(App& app) : app_(app) {}

    // For the window: what goes, and what stays.
    std::vector<Item> whatGoes() const;
    std::vector<Item> whatStays() const;
    // Removes what the program put into the desktop, asks about the settings,
    // says what was done and closes the program (the settings go last, so the
    // closing does not write them again).
    void run();

private:
    App& app_;
};

} // namespace zul::app
