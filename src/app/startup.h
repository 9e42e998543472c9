#pragma once
// Start-up and shutdown of the desktop program in their fixed order: the
// entry steps, the main window's two load steps, the first afterStart tick,
// the start-up tick, the command box with its pending-files tick, dropped files, and
// the exit routine with the closing of the main window.
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
    void setCommand(const std::string& text, std::function<void()> done = {}, std::function<bool()> stopRequested = {});
    const std::string& command() const { return command_; }
    // Files dropped on the main window.
    void dropFiles(const std::vector<std::string>& files);

    // "E&xit", the menu's "Exit", the main window's close button: first every
    // window with unsaved work asks about it; a Cancel there keeps the program
    // running with every window as it was (false). Then every pause ends and
    // the program closes without another question.
    bool exitProgram();
    // A stop signal: the program ends at once through the same closing, with
    // no question asked; unsaved work is kept where it can be (or said lost).
    void stopNow();
    // The closing itself: positions and state stored, windows and files closed.
    void mainWindowClosed();

    Phase phase() const { return phase_; }
    // Macro files waiting for the pending-files tick.
    struct PendingMacro {
        std::string path;
        std::function<void()> done;
        std::function<bool()> stopRequested; // the one who handed it over has gone
    };
    const std::deque<PendingMacro>& pendingMacros() const { return pendingMacros_; }

    // --- what the rest of the program provides (each may stay empty; the
    // windows' part is the App's WindowHost)
    // The main window's macro player; finished is called once the macro has played.
    // stopRequested ends the run after the frame under way.
    std::function<void(const std::filesystem::path&, std::function<void()> finished,
                       std::function<bool()> stopRequested)>
        runMacro;
    std::function<void()> restartProgram;            // a restart was asked for
    std::function<void(const std::string&)> journal; // a line for standard error (a stop signal's losses)

private:
    void handleCommand(std::function<void()> done, std::function<bool()> stopRequested);
    void loadOptions();
    void restoreState();

    App& app_;
    Phase phase_ = Phase::NotStarted;
    bool asking_ = false; // the questions of an Exit are open
    std::unique_ptr<Tick> afterStart_, startUp_, acro_;
    std::string command_;
    std::deque<PendingMacro> pendingMacros_;
};

} // namespace zul::app
