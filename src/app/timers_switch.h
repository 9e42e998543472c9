#pragma once
// The main window's "&Timers" switch: on, the timer machinery (table,
// scheduler, runners, loop timer, log) is loaded and its master switch set;
// off, it is unloaded.
#include <memory>

namespace zul {
class TimerService;
}

namespace zul::app {

class App;

// The timer machinery on the program's transmitter, groups and lamp, its
// runner engine built in; not yet loaded.
std::unique_ptr<TimerService> makeTimerService(App& app);

// Returns the state the switch ends in (off when the timer data file cannot be read).
bool switchTimers(App& app, bool on);

} // namespace zul::app
