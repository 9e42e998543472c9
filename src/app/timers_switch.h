#pragma once
// The timer machinery (table, scheduler, runners, loop timer, log) and the
// timer window's logic on it, loaded and unloaded as one. The "&Timers"
// switch loads it and sets its master switch; "Setup Timer" and the timer
// log load it without touching the master switch. Once loaded it stays, shown
// or hidden, until the switch is turned off while the timer window is hidden
// (and at exit).
#include <memory>

namespace zul {
class TimerService;
}

namespace zul::app {

class App;

// The timer machinery on the program's transmitter, groups and lamp, its
// runner engine built in; not yet loaded (the service runs it without windows).
std::unique_ptr<TimerService> makeTimerService(App& app);

// On: the machinery is loaded and its master switch set.
bool timersOn(const App& app);
// The "&Timers" switch. Returns timersOn afterwards (off when the timer data
// file cannot be read).
bool switchTimers(App& app, bool on);
// Loads the machinery when it is not; false when the data file cannot be read.
bool loadTimers(App& app);
// Offers to save unsaved timer changes (unless ask is false: the program is
// closing and has asked already), keeps the session log in TimerLog.log
// (when "Auto Save Log" is on) and unloads.
void unloadTimers(App& app, bool ask = true);
// "Setup Timer" (and the right click on the switch), "Show Timer Status / Log".
void openTimerWindow(App& app);
void openTimerLog(App& app);

} // namespace zul::app
