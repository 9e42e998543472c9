#pragma once
// The main window's "&Timers" switch: on, the timer machinery (table,
// scheduler, runners, loop timer, log) is loaded and its master switch set;
// off, it is unloaded.
namespace zul::app {

class App;

// Returns the state the switch ends in (off when the timer data file cannot be read).
bool switchTimers(App& app, bool on);

} // namespace zul::app
