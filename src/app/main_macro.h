#pragma once
// The synchronous macro players of the windows: the main window's croSend
// (a macro handed over on the command line or dropped on the window), the
// run-macro window and the macro editor's Test Macro / Run Macro. Each plays
// the file at once with its own row waits and ends with the same end-of-run
// routine.
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "timers/macro_player.h"

namespace zul::app {

class App;

struct NowPlaying {
    RowWait wait = MainWindowWait;
    std::function<bool()> stopRequested; // a window's Stop
    std::string procedure = "CroSend";   // for the error log
    std::string window = "frmFire";
    std::function<void()> finished; // once it has played (or was dropped at exit)
};

// The players take turns: a macro started while another one plays waits
// for it, in the order started, and the main window's status line says so.
struct MacroTurns {
    std::string playing; // the file name of the macro playing, "" when none
    std::deque<std::pair<std::filesystem::path, NowPlaying>> waiting;
    // "Morning.cro waits for Evening.cro to end", "" while nothing waits.
    std::string statusText(const std::function<std::string(const std::string&)>& tr) const;
};

// The lead-in, the rows, then the end-of-run routine: the trailer, 150 ms,
// the trailer. A missing file sends the lead-in only; the program closing
// ends the run without the routine. While another macro plays, the file
// waits for its turn and this returns at once.
void playMacroNow(App& app, const std::filesystem::path& file, NowPlaying how);

// The main window's player: each pause less 0.1 s, at least 0.15 s.
void croSend(App& app, const std::filesystem::path& file, std::function<void()> finished = {},
             std::function<bool()> stopRequested = {});

} // namespace zul::app
