#include "windows/main_window_menu.h"

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/help.h"
#include "app/main_clock.h"
#include "app/options.h"
#include "windows/preferences_window.h"
#include "app/startup.h"
#include "app/timers_switch.h"
#include "settings/language.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul::windows {

namespace {
MenuEntry item(MenuId id, std::string caption) { return MenuEntry{id, std::move(caption), {}, false, false}; }
MenuEntry check(MenuId id, std::string caption, bool on) { return MenuEntry{id, std::move(caption), {}, true, on}; }
MenuEntry separator() { return MenuEntry{}; }
MenuEntry submenu(std::string caption, std::vector<MenuEntry> children) {
    return MenuEntry{MenuId::Submenu, std::move(caption), std::move(children)};
}

// The language menu from the program folder and the files the program ships.
std::vector<LanguageMenuEntry> languages(app::App& app) {
    return languageMenu(shippedFolders(app.folder, executableFolder()), readSetting(app.settings, Setting::Language));
}

std::vector<MenuEntry> languageEntries(app::App& app) {
    std::vector<MenuEntry> out;
    const auto entries = languages(app);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        MenuEntry e = check(MenuId::LanguageEntry, entries[i].caption, entries[i].checked);
        e.languageIndex = static_cast<int>(i);
        out.push_back(e);
    }
    return out;
}

// The "Preferences" entries that switch an option.
const std::pair<MenuId, app::Option> kOptionEntries[] = {
    {MenuId::ShowPanic, app::Option::PanicButton},
    {MenuId::ShowAutoOff, app::Option::GroupDelayButtons},
    {MenuId::MinToTray, app::Option::MinToTray},
    {MenuId::MinOnStart, app::Option::MinOnStart},
    {MenuId::AssociateMacros, app::Option::AssociateMacros},
    {MenuId::ShowToolTips, app::Option::ToolTips},
};

MenuEntry optionEntry(app::App& app, MenuId id, std::string caption) {
    for (const auto& [entry, option] : kOptionEntries)
        if (entry == id) return check(id, std::move(caption), app::optionOn(app, option));
    return item(id, std::move(caption));
}

bool switchOption(app::App& app, MenuId id) {
    for (const auto& [entry, option] : kOptionEntries) {
        if (entry != id) continue;
        app::setOption(app, option, !app::optionOn(app, option));
        return true;
    }
    return false;
}

void chooseLanguageEntry(app::App& app, int index) {
    const auto entries = languages(app);
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const auto result = chooseLanguage(entries[static_cast<std::size_t>(index)], app.folder, app.settings,
                                       app.rawDialogs, app.language, [&app] { return app.mainClock->timerRunning(); });
    if (!result.error.empty()) app.dialogs.message(result.error);
    if (result.next == AfterLanguageChoice::Nothing) return;
    if (result.next == AfterLanguageChoice::WaitForTimersThenRestart) {
        while (app.mainClock->timerRunning() && !app.StopAll) app.transmitter.pause(0.5);
    }
    app.restartMarked = true;
    if (!app.startup->exitProgram()) app.restartMarked = false; // cancelled over unsaved work
}

} // namespace

std::vector<MenuEntry> buildMainMenu(app::App& app) {
    const PanicRoutine& panic = app.groups->panic();
    MenuEntry panicRun = item(MenuId::PanicRun, panic.menuCaption());
    panicRun.enabled = panic.runMenuEnabled();
    MenuEntry language = submenu("Language", languageEntries(app));
    language.visible = !language.children.empty();
    return {
        panicRun,
        item(MenuId::RunMacro, "Run Macro"),
        item(MenuId::TimerStatus, "Show Timer Status / Log"),
        submenu("View", {item(MenuId::ViewFavorites, "Favorites"), item(MenuId::ViewMain, "Main Window")}),
        separator(),
        submenu("Setup",
                {item(MenuId::SetupGroup, "Setup Group"), item(MenuId::SetupMacro, "Setup Macro"),
                 item(MenuId::SetupTimer, "Setup Timer"), item(MenuId::ManageMacros, "Manage Macros"), separator(),
                 item(MenuId::SetupPanic, "Setup Quick (Panic) Button"), item(MenuId::CommPort, "Communication Port"),
                 item(MenuId::SetupSounds, "Setup Sounds"), item(MenuId::SetupMqtt, "Setup MQTT Bridge"), separator(),
                 item(MenuId::ShortcutDesktop, "Create Shortcut on Desktop"),
                 item(MenuId::ShortcutStartup, "Create Shortcut in Startup Folder"), separator(),
                 item(MenuId::RemoveShortcutDesktop, "Remove Shortcut from Desktop"),
                 item(MenuId::RemoveShortcutStartup, "Remove Shortcut from Startup Folder")}),
        item(MenuId::SetupPreferences, "Setup Preferences"),
        language,
        submenu("Preferences", {optionEntry(app, MenuId::ShowPanic, "Show Quick (Panic) Button"),
                                optionEntry(app, MenuId::ShowAutoOff, "Show Group Auto-Off Delay Buttons"),
                                optionEntry(app, MenuId::MinToTray, "Minimize sends to Tray"),
                                optionEntry(app, MenuId::MinOnStart, "Minimize on Start"),
                                optionEntry(app, MenuId::AssociateMacros, "Associate Macro Files"),
                                optionEntry(app, MenuId::ShowToolTips, "Show Tool Tips"),
                                item(MenuId::RemoveAssociations, "Remove Associations")}),
        separator(),
        submenu("Uninstall", {item(MenuId::Uninstall, "Uninstall Zulmarin!")}),
        item(MenuId::Exit, "Exit"),
        separator(),
        item(MenuId::Help, "Help"),
        item(MenuId::CheckUpgrade, "Check Online for Upgrade"),
        item(MenuId::About, "About Zulmarin"),
        item(MenuId::Cancel, "Cancel"),
    };
}

void runMenuEntry(app::App& app, MenuId id, int languageIndex) {
    if (switchOption(app, id)) return;
    switch (id) {
    case MenuId::PanicRun: app.groups->panic().runFromMenu(); break;
    case MenuId::SetupPanic: app.groups->panic().setup(); break;
    case MenuId::ViewFavorites: app.windows().showFavourites(); break;
    case MenuId::ViewMain: app.windows().showMainWindow(); break;
    case MenuId::CommPort: app.windows().showPortDialog(); break;
    case MenuId::SetupSounds: openPreferences(app, PreferencesTab::Sounds); break;
    case MenuId::SetupPreferences: openPreferences(app, PreferencesTab::General); break;
    case MenuId::ShortcutDesktop: app::changeLauncher(app, Launcher::DesktopFolder, true); break;
    case MenuId::ShortcutStartup: app::changeLauncher(app, Launcher::Autostart, true); break;
    case MenuId::RemoveShortcutDesktop: app::changeLauncher(app, Launcher::DesktopFolder, false); break;
    case MenuId::RemoveShortcutStartup: app::changeLauncher(app, Launcher::Autostart, false); break;
    case MenuId::RemoveAssociations: app::removeAssociations(app); break;
    case MenuId::RunMacro: app.windows().showRunMacro(); break;
    case MenuId::SetupMacro:
    case MenuId::SetupGroup:
    case MenuId::ManageMacros:
        app.windows().showMacroSetup(id == MenuId::SetupMacro ? 0 : id == MenuId::SetupGroup ? 1 : 2, -1);
        break;
    case MenuId::SetupTimer: app::openTimerWindow(app); break;
    case MenuId::TimerStatus: app::openTimerLog(app); break;
    case MenuId::SetupMqtt: openPreferences(app, PreferencesTab::Mqtt); break;
    case MenuId::LanguageEntry: chooseLanguageEntry(app, languageIndex); break;
    case MenuId::Uninstall: app.windows().showUninstaller(); break;
    case MenuId::Exit: app.startup->exitProgram(); break;
    case MenuId::Help: app::showHelp(app, app::help::MainWindow); break;
    case MenuId::CheckUpgrade: app.mainClock->checkOnlineForUpgrade(); break;
    case MenuId::About: app.windows().showAbout(); break;
    // The options are switched above; the rest do nothing.
    case MenuId::ShowPanic:
    case MenuId::ShowAutoOff:
    case MenuId::MinToTray:
    case MenuId::MinOnStart:
    case MenuId::AssociateMacros:
    case MenuId::ShowToolTips:
    case MenuId::Cancel:
    case MenuId::Separator:
    case MenuId::Submenu: break;
    }
}

} // namespace zul::windows
