#pragma once
// The loop timer: one macro played over and over, row after row, while its
// enable box is ticked, optionally only inside a daily time window and only
// on the days its rule admits. Its tick (`Tmr7`) appends one frame per row to
// the send queue (`frameQueue`) and waits the row's pause (at least 1.05 s).
// The window and the days rule are checked between passes only, so a pass
// that has begun always completes. It reports on the loop status line of the
// timer log window.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "timers/days_rule.h"
#include "timers/translate.h"

namespace zul {

class ClockTick;
class Dialogs;
class EventLoop;
class SettingsBackend;
class Tick;
class TimerLog;
class TimerTable;
struct TimerShared;

class LoopTimer {
public:
    static constexpr int kStartPeriodMs = 250;
    static constexpr int kDayRetestMs = 1500;
    static constexpr double kMinRowSeconds = 1.05;
    static constexpr unsigned kRunningColour = 0xFFFF00;
    static constexpr unsigned kStoppedColour = 0x0000FF;

    LoopTimer(EventLoop& loop, SettingsBackend& settings, TimerTable& table, TimerShared& shared, TimerLog& log,
              const ClockTick& clock, Dialogs& dialogs, LangLookup lang = {});
    ~LoopTimer();
    LoopTimer(const LoopTimer&) = delete;
    LoopTimer& operator=(const LoopTimer&) = delete;

    // Plays the click sound when sounds are on.
    std::function<void()> click;
    // Lights (true) or darkens the main window's transmit lamp.
    std::function<void(bool lit)> lamp;
    // The timer window is shown: only then does a missing loop macro get a message.
    bool windowShown = false;

    // At load: the flash box ("LpFl") and the enable box ("LoopR"), which
    // loads and starts the loop when it was running.
    void restore();

    // `loadLoop`: reads the loop path's rows. A path not ending in ".cro" or a
    // missing file loads nothing and clears the enable box.
    void loadLoop();

    // One pass of `Tmr7`.
    void pass();

    // The enable box, as the user sets it. Stored as "LoopR".
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    // The flash box, stored as "LpFl".
    void setFlash(bool on);
    bool flash() const { return flash_; }

    // "L -->": the file chosen in the macro list becomes the loop entry
    // (empty: the loop entry and its days rule are cleared).
    void chooseMacro(const std::string& fileName);
    // The loop's days list. Refused with a message when the loop has no macro;
    // only the first five rules can be chosen. True when the rule was taken.
    bool chooseDays(DaysRule rule);
    // The clear button: asks first when confirm is set; true when cleared.
    bool clear(bool confirm);

    // What the loop entry box shows: the entry, or "not set".
    std::string entryText() const;
    const std::string& loopPath() const { return loopPath_; }
    const std::vector<std::string>& rows() const { return rows_; }
    int rowCounter() const { return row_; }
    bool passStart() const { return passStart_; }

    Tick& tick() { return *tick_; }

private:
    void start(bool withSound);
    void stop();
    void store();
    void showStatus(const std::string& text, unsigned colour);
    void reportNotSet();
    bool admittedToday();
    void playRow();
    std::string pathFor(const std::string& entry) const;

    EventLoop& loop_;
    SettingsBackend& settings_;
    TimerTable& table_;
    TimerShared& shared_;
    TimerLog& log_;
    const ClockTick& clock_;
    Dialogs& dialogs_;
    LangLookup lang_;
    std::vector<std::string> rows_;
    std::string loopPath_;
    int row_ = 0;
    bool passStart_ = true;
    bool enabled_ = false;
    bool flash_ = false;
    std::unique_ptr<Tick> tick_;
};

} // namespace zul
