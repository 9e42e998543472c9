#pragma once
// The main window's pop-up "Menu": its entries in order, and what each does.
#include <string>
#include <vector>

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::windows {

enum class MenuId {
    Separator,
    Submenu,
    PanicRun,
    RunMacro,
    TimerStatus,
    ViewFavorites,
    ViewMain,
    SetupGroup,
    SetupMacro,
    SetupTimer,
    ManageMacros,
    SetupPanic,
    CommPort,
    SetupSounds,
    SetupMqtt,
    ShortcutDesktop,
    ShortcutStartup,
    RemoveShortcutDesktop,
    RemoveShortcutStartup,
    SetupPreferences,
    LanguageEntry,
    ShowPanic,
    ShowAutoOff,
    MinToTray,
    MinOnStart,
    AssociateMacros,
    ShowToolTips,
    RemoveAssociations,
    Uninstall,
    Exit,
    Help,
    CheckUpgrade,
    About,
    Cancel,
};

struct MenuEntry {
    MenuId id = MenuId::Separator;
    std::string caption;             // English; the window translates it
    std::vector<MenuEntry> children; // for MenuId::Submenu
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    int languageIndex = -1; // for LanguageEntry
};

// The whole menu as it stands now (check marks, the panic caption, the languages).
std::vector<MenuEntry> buildMainMenu(app::App& app);

// Runs a menu entry.
void runMenuEntry(app::App& app, MenuId id, int languageIndex = -1);

} // namespace zul::windows
