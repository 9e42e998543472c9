#pragma once
// The program's on/off options as the preferences window's check boxes and
// the main window's "Preferences" menu both switch them: each is stored the
// moment it is switched and carried out at once (the panic button shows, the
// autostart launcher appears, macro files open with the program...). Also the
// desktop-side actions of the menu: launchers, the macro file association and
// its check at start, and the tray icon's tip.
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "settings/setting_keys.h"

namespace zul::app {

class App;

enum class Option {
    AutoStart,         // the autostart launcher ("AutoStart")
    PanicButton,       // "PanicButton"
    GroupDelayButtons, // "GrpDelayB"
    MinOnStart,        // "MinOnStart"
    MinToTray,         // "MinToTray"
    SendOnRecord,      // "SendOnRecord"
    ToolTips,          // "ShowToolTips"
    AssociateMacros,   // "Macro"/"DoSet"
    UpdateCheck,       // "ChkForUpdts"
};

struct OptionInfo {
    Option id;
    const char* caption;   // the preferences window's check box (English)
    const SettingKey& key; // its default is what a missing key means
    const char* on;
    const char* off;
};

// Every option, in the order the preferences window lists them.
const std::vector<OptionInfo>& options();
const OptionInfo& optionInfo(Option id);

bool optionOn(const App& app, Option id);
// Stores the option and carries it out. A change the desktop refuses (the
// autostart launcher, the association) is shown as an "Error" box, keeps the
// option as it was, and returns false.
bool setOption(App& app, Option id, bool on);

// The menu's "Create/Remove Shortcut on Desktop" and "... in Startup Folder".
bool changeLauncher(App& app, Launcher where, bool present);
// "Remove Associations": the file type and handler go, "DoSet" becomes "False".
bool removeAssociations(App& app);
// Start-up: macro files open with this very program again when the option is on.
void checkMacroAssociation(App& app);
// The first start puts a launcher on the desktop (quietly; a failure is only logged).
void firstStartLauncher(App& app);

// The tray icon's tip: the window caption, and once the "&Timers" switch has
// changed, " (Timers ON)  " or " (Timers OFF)  " after it.
std::string trayTip(const App& app, const std::string& caption, bool withTimers, bool timersOn);

} // namespace zul::app
