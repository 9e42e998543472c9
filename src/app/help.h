#pragma once
// The help pages (our own HTML, shipped with the program) and the facts the
// about window shows.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zul::app {

class App;

struct HelpTopic {
    const char* page;   // "zulHelp.html" or "editorhelp.html"
    const char* anchor; // the section, without "#"
};

namespace help {
inline constexpr HelpTopic MainWindow{"zulHelp.html", "MainFormWindow"};
inline constexpr HelpTopic Favourites{"zulHelp.html", "Favorites"};
inline constexpr HelpTopic Uninstall{"zulHelp.html", "Uninstall"};
inline constexpr HelpTopic CommandLine{"zulHelp.html", "CommandLine"};
inline constexpr HelpTopic TimerWindow{"zulHelp.html", "TimerWindow"};
inline constexpr HelpTopic TimerLog{"zulHelp.html", "TimerLog"};
inline constexpr HelpTopic PortSetup{"zulHelp.html", "PortSetup"};
inline constexpr HelpTopic About{"zulHelp.html", "About"};
inline constexpr HelpTopic MacroEditor{"editorhelp.html", "MacroEditor"};
inline constexpr HelpTopic SetupGroups{"editorhelp.html", "SetupGroups"};
inline constexpr HelpTopic ManageMacros{"editorhelp.html", "ManageMacros"};
inline constexpr HelpTopic RunMacro{"editorhelp.html", "RunMacro"};
inline constexpr HelpTopic PrintPreview{"editorhelp.html", "PrintPreview"};
// Every topic a window opens, but the preferences' (Preferences::help).
inline constexpr HelpTopic All[] = {MainWindow,   Favourites, Uninstall,   CommandLine, TimerWindow,
                                    TimerLog,     PortSetup,  About,       MacroEditor, SetupGroups,
                                    ManageMacros, RunMacro,   PrintPreview};
} // namespace help

// Opens the page at its section in the help window (or the desktop's browser);
// a missing page says so.
void showHelp(App& app, const HelpTopic& topic);

// What the about window lists: version, licence, and where the settings, the
// data and the shipped files live, as (caption, value) pairs.
std::vector<std::pair<std::string, std::string>> aboutFacts(const App& app);
// The file the named-string settings live in.
std::filesystem::path settingsFile(const App& app);

} // namespace zul::app
