#pragma once
// CroSend of the main window: plays a macro file at once with its own pauses
// (a macro handed over on the command line or dropped on the window).
#include <filesystem>

namespace zul::app {

class App;

// Lead-in, the rows (each pause less 0.1 s, at least 0.15 s), the trailer.
// A missing file sends the lead-in only. The program closing ends the run.
void CroSend(App& app, const std::filesystem::path& file);

} // namespace zul::app
