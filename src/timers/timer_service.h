#pragma once
// The timer window's machinery without the window: the timer table (from
// tmrdat.zul), the timer log, the clock, sun and scheduler ticks and the loop
// timer, wired together. It exists while the main window's "&Timers" switch
// is on. The macro runners come from outside through two hooks, so the
// desktop program plugs its runner engine in here.
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>

#include "timers/clock_tick.h"
#include "timers/loop_timer.h"
#include "timers/scheduler.h"
#include "timers/timer_engine.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"
#include "timers/translate.h"

namespace zul {

class Clock;
class Desktop;
class Dialogs;
class ErrorLog;
class EventLoop;
class SettingsBackend;
class Sounds;

class TimerService {
public:
    // What the scheduler needs from the runner engine.
    struct Engine {
        std::function<void()> startTimer;      // `startTimer`
        std::function<bool()> anyRunnerActive; // `anyRunnerActive`
    };

    TimerService(Clock& clock, EventLoop& loop, SettingsBackend& settings, Dialogs& dialogs,
                 std::filesystem::path programFolder, LangLookup lang = {});
    ~TimerService();
    TimerService(const TimerService&) = delete;
    TimerService& operator=(const TimerService&) = delete;

    // Plugs in a runner engine kept elsewhere (tests use a stand-in).
    void setEngine(Engine engine);

    // What the desktop program's runner engine needs besides this service.
    struct EngineServices {
        x10::Transmitter& transmitter;
        Sounds& sounds;
        ErrorLog& errors;
        Desktop& desktop;
        const bool& stopAll;
    };
    // Builds the runner engine on this service's table, log and shared values
    // and plugs it in; the service owns it from then on.
    TimerEngine& createEngine(EngineServices services, TimerEngineHooks hooks = {});
    // The engine createEngine built; null before.
    TimerEngine* engine() { return ownedEngine_.get(); }

    // Reads the table and the loop timer, makes the first clock and sun
    // passes and starts the clock, sun and loop ticks. The scheduler runs
    // once the master switch is on. Returns an error when the data file
    // exists but cannot be read.
    std::error_code load();

    void setMasterSwitch(bool on) { scheduler_.setMasterSwitch(on); }
    bool anyRunnerActive() const { return engine_.anyRunnerActive && engine_.anyRunnerActive(); }
    void setWindowShown(bool shown) { loopTimer_.windowShown = shown; }

    TimerShared& shared() { return shared_; }
    TimerTable& table() { return table_; }
    TimerLog& log() { return log_; }
    ClockTick& clockTick() { return clockTick_; }
    SunTick& sunTick() { return sunTick_; }
    Scheduler& scheduler() { return scheduler_; }
    LoopTimer& loopTimer() { return loopTimer_; }

private:
    Clock& clock_;
    EventLoop& loop_;
    SettingsBackend& settings_;
    Dialogs& dialogs_;
    LangLookup lang_;
    Engine engine_;
    TimerShared shared_;
    TimerTable table_;
    TimerLog log_;
    ClockTick clockTick_;
    SunTick sunTick_;
    Scheduler scheduler_;
    LoopTimer loopTimer_;
    std::unique_ptr<TimerEngine> ownedEngine_;
};

} // namespace zul
