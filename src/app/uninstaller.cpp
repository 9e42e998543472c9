#include "app/uninstaller.h"

#include "app/app.h"
#include "app/help.h"
#include "app/startup.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul::app {

namespace fs = std::filesystem;

std::vector<Uninstaller::Item> Uninstaller::whatGoes() const {
    return {{app_.tr("The Zulmarin launcher on your desktop"), ""},
            {app_.tr("Starting Zulmarin when you log in"), ""},
            {app_.tr("The macro file type (.cro) and its association with Zulmarin"), ""},
            {app_.tr("If you agree, your settings:"), settingsFile(app_).string()}};
}

std::vector<Uninstaller::Item> Uninstaller::whatStays() const {
    return {{app_.tr("Your macro files and their backups"), ""},
            {app_.tr("Groups, timers, unit descriptions and logs in"), app_.folder.string()},
            {app_.tr("The program itself: remove it with your package manager, or delete its folder"),
             executableFolder().string()}};
}

void Uninstaller::run() {
    std::vector<std::string> errors;
    auto keep = [&errors](const std::string& error) {
        if (!error.empty()) errors.push_back(error);
    };
    keep(app_.desktop.setLauncher(Launcher::DesktopFolder, false));
    keep(app_.desktop.setLauncher(Launcher::Autostart, false));
    keep(app_.desktop.setMacroAssociation(false));
    writeSetting(app_.settings, Setting::AutoStart, "0");
    writeSetting(app_.settings, Setting::AssociateMacros, "False");
    writeSetting(app_.settings, Setting::MacroAssociationSet, "");
    app_.associateMacroFiles = false;

    const fs::path settings = settingsFile(app_);
    const bool settingsToo = app_.dialogs.questionDefaultNo("Remove your settings as well?\n" + settings.string() +
                                                                "\nMacro files, groups, timers and backups are kept.",
                                                            "Uninstall Zulmarin") == Answer::Yes;
    std::string report =
        errors.empty() ? "Zulmarin has been removed from your desktop." : "Some parts could not be removed:";
    for (const auto& e : errors) report += "\n" + e;
    app_.dialogs.message(report + "\nZulmarin will now close.", "Uninstall Zulmarin");
    // Settings go only with the program: an Exit cancelled over unsaved work keeps them.
    if (!app_.startup->exitProgram() || !settingsToo) return;
    std::error_code ec;
    fs::remove(settings, ec);
    fs::remove(settings.parent_path(), ec); // only when nothing else is in it
}

} // namespace zul::app
