#include "app/help.h"

#include "app/app.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul::app {

namespace {
namespace fs = std::filesystem;

// No licence has been chosen for the program yet: until one is, it is what
// copyright law makes it.
constexpr const char* kLicence = "Copyright (C) 2026 the Zulmarin team. All rights reserved.";
} // namespace

fs::path settingsFile(const App& app) {
    if (const auto* ini = dynamic_cast<const IniSettingsStore*>(&app.settings)) return ini->file();
    return configFolder() / "settings.ini";
}

void showHelp(App& app, const HelpTopic& topic) {
    const fs::path page = shippedFile(topic.page);
    std::error_code ec;
    if (!fs::exists(page, ec)) {
        app.dialogs.message("The help pages are not installed in the program folder.");
        return;
    }
    if (!app.windows().showHelp(page, topic.anchor)) app.desktop.open(page.string() + "#" + topic.anchor);
}

std::vector<std::pair<std::string, std::string>> aboutFacts(const App& app) {
    std::error_code ec;
    return {
        {app.tr("Version"), ZUL_VERSION},
        {app.tr("Licence"), app.tr(kLicence)},
        {app.tr("Settings"), settingsFile(app).string()},
        {app.tr("Program folder"), app.folder.string()},
        {app.tr("Record store"), app.records.path().string()},
        {app.tr("Help pages"), fs::absolute(shippedFile("zulHelp.html"), ec).parent_path().string()},
    };
}

} // namespace zul::app
