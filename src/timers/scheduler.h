#pragma once
// The timer scheduler (`Timer2`, every 500 ms): finds the timers whose due
// time equals the clock text and whose days rule admits the day, and hands
// each to `startTimer`. Also the master switch that turns it on and off.
//
// Due detection is by exact text: a timer fires in the second whose clock
// text equals its due time. The clock tick hands over every second it passed
// since the last pass, including up to 60 seconds that a stalled event loop
// skipped (a slow adapter, a modal wait), so such a second's timers still fire,
// once and in order. Seconds passed while the master switch was off, or in a
// longer gap (a machine that slept), are not caught up.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "timers/translate.h"

namespace zul {

class Clock;
class ClockTick;
class EventLoop;
class SettingsBackend;
class Tick;
class TimerLog;
class TimerTable;
struct ClockSecond;
struct TimerShared;

class Scheduler {
public:
    static constexpr int kPeriodMs = 500;

    Scheduler(const Clock& time, EventLoop& loop, SettingsBackend& settings, TimerTable& table, TimerShared& shared,
              ClockTick& clock, TimerLog& log, LangLookup lang = {});
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // A "One Time" timer whose "Never" could not be saved is tried again this often.
    static constexpr int SaveRetryMs = 60000;

    // Starts timer `StartIndex`; clears `StartPending` when it ends. Called
    // after the scheduler has set `StartIndex` and `StartPending`.
    std::function<void()> startTimer;
    // Told once (standard error and the error log) when the data file could
    // not be rewritten after a "One Time" run; the timer log says it too.
    std::function<void(const std::string& what)> logError;
    // Writes the table after a "One Time" run; the data file's error, if any.
    std::function<std::error_code()> saveTable;

    // One pass of `Timer2`.
    void pass();

    // The master switch ("Timers OFF"): enables or disables the scheduler tick and
    // logs the change. Setting it to the state it has changes nothing.
    void setMasterSwitch(bool on);
    bool masterSwitch() const { return master_; }
    std::string switchCaption() const; // "Timers ON" / "Timers OFF"
    std::string windowTitle() const;   // "   Setup Timers  -- Timers are Enabled!" ...

    // The timer started most recently while runners are busy; -1 when none is.
    int lastStarted() const { return lastStarted_; }

    Tick& tick() { return *tick_; }

private:
    void check(const ClockSecond& second);
    bool fire(int i, const ClockSecond& second);
    void oneTimeDone(int i);
    void keepRanOnce();
    void saveNever();
    bool onlyOwnChangesUnsaved() const;

    const Clock& time_;
    SettingsBackend& settings_;
    TimerTable& table_;
    TimerShared& shared_;
    ClockTick& clock_;
    TimerLog& log_;
    LangLookup lang_;
    bool master_ = false;
    int lastStarted_ = -1;
    // Per timer, the clock second it last fired in: never twice for one second.
    std::vector<std::int64_t> firedIn_;
    // "One Time" timers that ran in this run while the file may still say
    // "One Time": they stay "Never" whatever the table is read from, until
    // the file holds it, so none runs twice.
    struct RanOnce {
        int index;
        std::string entry, start;
    };
    std::vector<RanOnce> ranOnce_;
    bool saveOwed_ = false;         // our "Never" waits to be saved
    bool saveFailing_ = false;      // the last save failed (said once)
    std::uint64_t ownRevision_ = 0; // the table's revision after our own change
    std::int64_t retryAtMicros_ = 0;
    std::unique_ptr<Tick> tick_;
};

} // namespace zul
