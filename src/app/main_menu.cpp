#include "app/main_menu.h"

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "app/startup.h"
#include "settings/language.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul::app {

namespace {
MenuEntry item(MenuId id, std::string caption) { return MenuEntry{id, std::move(caption), {}, false, false}; }
MenuEntry check(MenuId id, std::string caption, bool on) { return MenuEntry{id, std::move(caption), {}, true, on}; }
MenuEntry separator() { return MenuEntry{}; }
MenuEntry submenu(std::string caption, std::vector<MenuEntry> children) {
    return MenuEntry{MenuId::Submenu, std::move(caption), std::move(children)};
}

bool setting(App& app, const char* key, const char* def, const char* onValue) {
    return ReadSetting(app.settings, "Settings", key, def) == onValue;
}

// The language menu from the program folder and the files the program ships.
std::vector<LanguageMenuEntry> languages(App& app) {
    return languageMenu(shippedFolders(app.folder, executableFolder()),
                        ReadSetting(app.settings, "Settings", "Language", "English"));
}

std::vector<MenuEntry> languageEntries(App& app) {
    std::vector<MenuEntry> out;
    const auto entries = languages(app);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        MenuEntry e = check(MenuId::LanguageEntry, entries[i].caption, entries[i].checked);
        e.languageIndex = static_cast<int>(i);
        out.push_back(e);
    }
    return out;
}

// Toggles a "0"/"1" or "False"/"True" setting; returns the new state.
bool toggleSetting(App& app, const char* section, const char* key, const char* def, const char* on,
                   const char* off) {
    const bool now = ReadSetting(app.settings, section, key, def) != on;
    WriteSetting(app.settings, section, key, now ? on : off);
    return now;
}

void chooseLanguageEntry(App& app, int index) {
    const auto entries = languages(app);
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const auto result =
        chooseLanguage(entries[static_cast<std::size_t>(index)], app.folder, app.settings, app.rawDialogs,
                       app.language, [&app] { return app.mainClock->timerRunning(); });
    if (!result.error.empty()) app.dialogs.message(result.error);
    if (result.next == AfterLanguageChoice::Nothing) return;
    if (result.next == AfterLanguageChoice::WaitForTimersThenRestart) {
        while (app.mainClock->timerRunning() && !app.StopAll) app.transmitter.Pause(0.5);
    }
    app.restartMarked = true;
    app.startup->cmdExit();
}

// The caption of the entry id anywhere in the menu.
std::string captionOf(const std::vector<MenuEntry>& entries, MenuId id) {
    for (const auto& e : entries) {
        if (e.id == id) return e.caption;
        if (auto inner = captionOf(e.children, id); !inner.empty()) return inner;
    }
    return "";
}

void openHelp(App& app) {
    const auto page = app.folder / "zulHelp.html";
    std::error_code ec;
    if (!std::filesystem::exists(page, ec) || !app.desktop.open(page.string() + "#MainFormWindow"))
        app.dialogs.message("The help pages are not installed in the program folder.");
}
} // namespace

std::vector<MenuEntry> buildMainMenu(App& app) {
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
        submenu("Setup", {item(MenuId::SetupGroup, "Setup Group"), item(MenuId::SetupMacro, "Setup Macro"),
                          item(MenuId::SetupTimer, "Setup Timer"), item(MenuId::ManageMacros, "Manage Macros"),
                          separator(), item(MenuId::SetupPanic, "Setup Quick (Panic) Button"),
                          item(MenuId::CommPort, "Communication Port"), item(MenuId::SetupSounds, "Setup Sounds"),
                          separator(), item(MenuId::ShortcutDesktop, "Create Shortcut on Desktop"),
                          item(MenuId::ShortcutStartup, "Create Shortcut in Startup Folder"), separator(),
                          item(MenuId::RemoveShortcutDesktop, "Remove Shortcut from Desktop"),
                          item(MenuId::RemoveShortcutStartup, "Remove Shortcut from Startup Folder")}),
        item(MenuId::SetupPreferences, "Setup Preferences"),
        language,
        submenu("Preferences",
                {check(MenuId::ShowPanic, "Show Quick (Panic) Button", panic.settings.shown),
                 check(MenuId::ShowAutoOff, "Show Group Auto-Off Delay Buttons", app.groups->autoOffButtons()),
                 check(MenuId::MinToTray, "Minimize sends to Tray", setting(app, "MinToTray", "0", "1")),
                 check(MenuId::MinOnStart, "Minimize on Start", setting(app, "MinOnStart", "False", "True")),
                 check(MenuId::AssociateMacros, "Associate Macro Files", app.associateMacroFiles),
                 check(MenuId::ShowToolTips, "Show Tool Tips", app.showToolTips),
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

void runMenuEntry(App& app, MenuId id, int languageIndex) {
    switch (id) {
    case MenuId::PanicRun: app.groups->panic().runFromMenu(); break;
    case MenuId::SetupPanic: app.groups->panic().setup(); break;
    case MenuId::ViewMain:
        if (app.hooks.bringToFront) app.hooks.bringToFront();
        break;
    case MenuId::CommPort:
        if (app.hooks.showPortDialog) app.hooks.showPortDialog();
        break;
    case MenuId::ShowPanic: app.groups->panic().toggleShown(); break;
    case MenuId::ShowAutoOff: app.groups->runner().toggleAutoOffButtons(); break;
    case MenuId::MinToTray: app.minimizeToTray = toggleSetting(app, "Settings", "MinToTray", "0", "1", "0"); break;
    case MenuId::MinOnStart:
        app.minimizeOnStart = toggleSetting(app, "Settings", "MinOnStart", "False", "True", "False");
        break;
    case MenuId::AssociateMacros:
        app.associateMacroFiles = toggleSetting(app, "Macro", "DoSet", "True", "True", "False");
        break;
    case MenuId::ShowToolTips: app.showToolTips = toggleSetting(app, "Settings", "ShowToolTips", "1", "1", "0"); break;
    case MenuId::LanguageEntry: chooseLanguageEntry(app, languageIndex); break;
    case MenuId::Exit: app.startup->cmdExit(); break;
    case MenuId::Help: openHelp(app); break;
    case MenuId::CheckUpgrade: app.mainClock->checkOnlineForUpgrade(); break;
    case MenuId::About:
        app.dialogs.info(InfoBox{std::string("Zulmarin ") + ZUL_VERSION + "\n" +
                                 app.tr("Home automation with the CM17A transmitter.")});
        break;
    case MenuId::Cancel:
    case MenuId::Separator:
    case MenuId::Submenu: break;
    default: app.notAvailable(captionOf(buildMainMenu(app), id)); break;
    }
}

} // namespace zul::app
