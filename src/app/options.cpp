#include "app/options.h"

#include <stdexcept>

#include "app/app.h"
#include "app/groups_panel.h"
#include "settings/settings_store.h"

namespace zul::app {

namespace {

const std::vector<OptionInfo> kOptions = {
    {Option::AutoStart, "Load when you log in (current user)", Setting::AutoStart, "1", "0"},
    {Option::PanicButton, "Show Quick (Panic) Button", Setting::PanicButton, "1", "0"},
    {Option::GroupDelayButtons, "Show Group Auto-Off Delay Buttons", Setting::GroupDelayButtons, "1", "0"},
    {Option::MinOnStart, "Send program to system tray on startup", Setting::MinOnStart, "True", "False"},
    {Option::MinToTray, "Minimize sends to system tray", Setting::MinToTray, "1", "0"},
    {Option::SendOnRecord, "Send commands while recording macros and groups", Setting::SendOnRecord, "1", "0"},
    {Option::ToolTips, "Show tool tips ( button hints )", Setting::ShowToolTips, "1", "0"},
    {Option::AssociateMacros, "Associate macro files (.cro) with Zulmarin", Setting::AssociateMacros, "True", "False"},
    {Option::UpdateCheck, "Automatically check for updates once a week.", Setting::UpdateCheck, "1", "0"},
};

void refreshWindows(App& app) { app.optionsChanged(); }

void failed(App& app, const std::string& why) { app.dialogs.message("Failed\n" + why, "Error"); }

std::string associate(App& app) {
    const std::string error = app.desktop.setMacroAssociation(true);
    if (error.empty()) writeSetting(app.settings, Setting::MacroAssociationSet, "Done");
    return error;
}

// Takes the file type and its handler away again; "Set" goes with them.
std::string dissociate(App& app) {
    const std::string error = app.desktop.setMacroAssociation(false);
    writeSetting(app.settings, Setting::MacroAssociationSet, "");
    return error;
}

// What the desktop must do before the option can count as switched ("" when done).
std::string carryOut(App& app, Option id, bool on) {
    if (id == Option::AutoStart) return app.desktop.setLauncher(Launcher::Autostart, on);
    if (id == Option::AssociateMacros) return on ? associate(app) : dissociate(app);
    return "";
}

void applyFlag(App& app, Option id, bool on) {
    switch (id) {
    case Option::PanicButton:
        if (app.groups->panic().settings.shown != on) app.groups->panic().toggleShown();
        break;
    case Option::GroupDelayButtons:
        if (app.groups->autoOffButtons() != on) app.groups->runner().toggleAutoOffButtons();
        break;
    case Option::MinOnStart: app.minimizeOnStart = on; break;
    case Option::MinToTray: app.minimizeToTray = on; break;
    case Option::ToolTips: app.showToolTips = on; break;
    case Option::AssociateMacros: app.associateMacroFiles = on; break;
    default: break;
    }
}

} // namespace

const std::vector<OptionInfo>& options() { return kOptions; }

const OptionInfo& optionInfo(Option id) {
    for (const auto& o : kOptions)
        if (o.id == id) return o;
    throw std::out_of_range("no such option");
}

bool optionOn(const App& app, Option id) {
    const OptionInfo& o = optionInfo(id);
    const std::string value = readSetting(app.settings, o.key);
    return equalsNoCase(value, o.on) || (id == Option::AssociateMacros && equalsNoCase(value, "Yes"));
}

bool setOption(App& app, Option id, bool on) {
    if (const std::string error = carryOut(app, id, on); !error.empty()) {
        failed(app, error);
        refreshWindows(app);
        return false;
    }
    const OptionInfo& o = optionInfo(id);
    writeSetting(app.settings, o.key, on ? o.on : o.off);
    applyFlag(app, id, on);
    refreshWindows(app);
    return true;
}

bool changeLauncher(App& app, Launcher where, bool present) {
    if (where == Launcher::Autostart) return setOption(app, Option::AutoStart, present);
    const std::string error = app.desktop.setLauncher(where, present);
    if (!error.empty()) failed(app, error);
    return error.empty();
}

bool removeAssociations(App& app) {
    const std::string error = dissociate(app);
    writeSetting(app.settings, Setting::AssociateMacros, "False");
    app.associateMacroFiles = false;
    refreshWindows(app);
    if (!error.empty()) failed(app, error);
    return error.empty();
}

void checkMacroAssociation(App& app) {
    if (!app.associateMacroFiles || app.desktop.macroAssociationInPlace()) return;
    if (const std::string error = associate(app); !error.empty()) app.logError("Form_Load", "frmFire", error);
}

void firstStartLauncher(App& app) {
    if (const std::string error = app.desktop.setLauncher(Launcher::DesktopFolder, true); !error.empty())
        app.logError("afterStart_Timer", "frmFire", error);
}

std::string trayTip(const App& app, const std::string& caption, bool withTimers, bool timersOn) {
    if (!withTimers) return caption;
    return caption + " (" + app.tr(timersOn ? "Timers ON" : "Timers OFF") + ")  ";
}

} // namespace zul::app
