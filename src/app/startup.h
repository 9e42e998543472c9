#pragma once
// Start-up and shutdown of the desktop program in their fixed order: the
// entry steps, the main window's two load steps, the first afterStart tick,
// tmrStartUp, the command box (txtCommand) with tmrAcro, dropped files, and
// cmdExit with the closing of the main window.
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace zul::app {

class App;

// Where the program stands.
enum class Phase { NotStarted, Starting, Loaded, Running, Closing, Ended };

class Startup {
public:
    static constexpr int AfterStartMs = 500;
    static constexpr int StartUpMs = 750;
    static constexpr int AcroMs = 50;
    static constexpr int TimersRecord = 275;
    static constexpr int FirstRunRecord = 282;

    explicit Startup(App& app);
    ~Startup();

    // Program entry after the single-instance check: settings, tables, record
    // store, options, the version; then the splash (showSplash) and, when the
    // command line is not empty, the command box. Failures do not stop it;
    // the last one goes to the error log as "Sub Main".
    void enter(const std::string& commandLine);
    // The main window's two load handlers; afterStart runs 500 ms later.
    void loadMainWindow();
    void afterStartTick();
    void startUpTick();

    // The command box: every change runs the command handling. done is
    // called once the command has been carried out (for a macro file: once
    // it has been played), or at once for a text that asks for nothing more.
    void setCommand(const std::string& text, std::function<void()> done = {});
    const std::string& command() const { return command_; }
    // Files dropped on the main window.
    void dropFiles(const std::vector<std::string>& files);

    // "E&xit", the menu's "Exit": ends every pause and closes the main window.
    void cmdExit();
    // The main window closes (by cmdExit or its close button).
    void mainWindowClosed();

    Phase phase() const { return phase_; }
    // Macro files waiting for tmrAcro.
    struct PendingMacro {
        std::string path;
        std::function<void()> done;
    };
    const std::deque<PendingMacro>& pendingMacros() const { return pendingMacros_; }

    // --- what the rest of the program provides (each may stay empty)
    std::function<void()> showSplash;              // the splash; it calls loadMainWindow
    std::function<void(const std::filesystem::path&)> runMacro;  // the main window's macro player
    std::function<void()> fillLanguageMenu;
    std::function<void()> minimizeAtStart;         // tmrStartUp with "Minimize on Start"
    std::function<bool()> timersOn;                // the "&Timers" toggle
    std::function<void(bool)> setTimersOn;
    std::function<void()> restartProgram;          // a restart was asked for
    std::function<void()> running;                 // start-up is over: the port is open

private:
    void handleCommand(std::function<void()> done);
    void loadOptions();
    void restoreState();

    App& app_;
    Phase phase_ = Phase::NotStarted;
    std::unique_ptr<Tick> afterStart_, startUp_, acro_;
    std::string command_;
    std::deque<PendingMacro> pendingMacros_;
};

} // namespace zul::app
