#pragma once
// The synchronous macro players of the windows: the main window's CroSend
// (a macro handed over on the command line or dropped on the window), the
// run-macro window and the macro editor's Test Macro / Run Macro. Each plays
// the file at once with its own row waits and ends with the same end-of-run
// routine.
#include <filesystem>
#include <functional>
#include <string>

#include "timers/macro_player.h"

namespace zul::app {

class App;

struct NowPlaying {
    RowWait wait = MainWindowWait;
    std::function<bool()> stopRequested;  // a window's Stop
    std::string procedure = "CroSend";    // for the error log
    std::string window = "frmFire";
};

// The lead-in, the rows, then the end-of-run routine: the trailer, 150 ms,
// the trailer. A missing file sends the lead-in only; the program closing
// ends the run without the routine. Returns false when the file was missing
// or unreadable.
bool playMacroNow(App& app, const std::filesystem::path& file, const NowPlaying& how);

// The main window's player: each pause less 0.1 s, at least 0.15 s.
void CroSend(App& app, const std::filesystem::path& file);

} // namespace zul::app
