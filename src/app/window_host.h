#pragma once
// What the windows do for the logic: show one, say where the main window
// stands, settle unsaved work at Exit, close them all. The desktop program
// implements it and hands it to its App for as long as its windows live.
// Without windows (the service, the logic's tests) these defaults apply:
// nothing shows, nothing is unsaved, no delay is chosen, no help window.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace zul::app {

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The main window.
    virtual void showMainWindow() {}
    virtual void hideMainWindow() {}
    virtual void bringToFront() {} // the main window (or what stands in for it) comes back to the front
    virtual bool mainWindowVisible() const { return false; }
    virtual bool mainWindowMinimized() const { return false; }
    // Its left and top edges in twips; nullopt while there is no window to keep the place of.
    virtual std::optional<std::pair<int, int>> mainWindowPosition() const { return std::nullopt; }
    // Its "&Timers" toggle, nullopt without one; and setting it at start-up.
    virtual std::optional<bool> timersToggle() const { return std::nullopt; }
    virtual void setTimersToggle(bool /*on*/) {}

    // The start-up: a splash that loads the main window from its own timer
    // (false: there is none, the main window loads at once), its close once
    // the main window shows, "Minimize on Start", and the start-up's end (the
    // port is open: remote commands may come in).
    virtual bool showSplash() { return false; }
    virtual void closeSplash() {}
    virtual void minimizeAtStart() {}
    virtual void startupOver() {}

    // Exit: each window with unsaved work asks whether to keep it; false when
    // the user cancelled (or a save did not happen), and the program goes on.
    virtual bool settleUnsavedWork() { return true; }
    // A stop signal: unsaved work is kept without a question, or said lost.
    virtual void keepUnsavedWork() {}
    virtual void closeWindows() {} // every window of the program goes, asking nothing
    virtual void quit() {}         // the event loop ends

    // The delay dialog: whole seconds, or nothing when cancelled.
    virtual std::optional<int> askDelay() { return std::nullopt; }
    virtual void showPortDialog() {}
    // The run-macro window, and "Setup Macros & Groups" on a tab (0 macros,
    // 1 groups, 2 manage) with a group 0-7 chosen (-1: as it was).
    virtual void showRunMacro() {}
    virtual void showMacroSetup(int /*tab*/, int /*group*/) {}
    // The preferences on a tab, with a panic group to offer.
    virtual void showPreferences(int /*tab*/, const std::string& /*panicGroup*/) {}
    virtual void showFavourites() {}
    // A help page at an anchor; false when there is no help window to show it in.
    virtual bool showHelp(const std::filesystem::path& /*page*/, const std::string& /*anchor*/) { return false; }
    virtual void showAbout() {}
    virtual void showUninstaller() {}
    // The windows show options again after one changed.
    virtual void refreshWindows() {}

    // The timer windows ("Setup Timers" and the timer log).
    virtual void showTimerWindow() {}
    virtual void showTimerLog() {}
    virtual bool timerWindowShown() const { return false; }
    // The timer machinery was loaded or its master switch changed (true), or
    // it is about to be unloaded (false): the windows let go of it first.
    virtual void timersChanged(bool /*loaded*/) {}
};

} // namespace zul::app
