#pragma once
// The timer window's run machinery: the four macro runners, the send-queue
// drain, the overflow buffer with its drain, startTimer, runTimerCommand and
// the manual run croSend. The scheduler and the loop timer share one
// TimerShared with it: the scheduler sets StartIndex and StartPending and
// calls startTimer(); the loop timer appends frames to frameQueue.
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "timers/macro_player.h"
#include "timers/macro_runner.h"
#include "timers/run_texts.h"
#include "timers/send_queue.h"
#include "timers/translate.h"

namespace zul {

class Clock;
class Desktop;
class Dialogs;
class ErrorLog;
class SettingsBackend;
class Sounds;
class TimerLog;
class TimerTable;
struct TimerShared;

// What the engine works with; all owned elsewhere and outliving it.
struct TimerEngineParts {
    EventLoop& loop;
    const Clock& clock;
    x10::Transmitter& transmitter;
    TimerShared& shared;
    TimerTable& table;
    TimerLog& log;
    SettingsBackend& settings;
    Sounds& sounds;
    ErrorLog& errors;
    Desktop& desktop;
    Dialogs& dialogs;
    const bool& stopAll; // the program is closing
    LangLookup lang = {};
};

// What the main window lends the timer window.
struct TimerEngineHooks {
    // `strtGroup`: group index 0..7 and "ON" or "OFF".
    std::function<void(int group, const std::string& action)> startGroup;
    // The end-of-run routine; without it the transmitter's trailer pair is sent.
    std::function<void()> endOfRun;
    // The "Timer Running" indicator (with its blinking tick).
    std::function<void(bool on)> indicator;
    // The transmit lamp.
    std::function<void(bool lit)> lamp;
};

class TimerEngine : private RunnerHost {
public:
    static constexpr double StartSettleSeconds = 0.8;
    static constexpr int OverflowFirstMs = 500;
    static constexpr int OverflowPeriodMs = 250;

    TimerEngine(TimerEngineParts parts, TimerEngineHooks hooks = {});
    ~TimerEngine() override;
    TimerEngine(const TimerEngine&) = delete;
    TimerEngine& operator=(const TimerEngine&) = delete;

    // Starts timer `StartIndex` in the first free runner, or queues it in the
    // overflow buffer; clears `StartPending` at the end.
    void startTimer();
    // Runs a timer whose entry is not a macro: a program, "GROUP n ON|OFF", or
    // house, unit and action sent at once.
    void runTimerCommand(int timer);
    // True while any runner is busy.
    bool anyRunnerActive() const;
    // Ends every busy run and empties the overflow buffer (the timer window's Cancel).
    void stopRuns();
    // The manual run of the macro at currentPath, played at once.
    void croSend();
    // The manual run of a single command ("A 2 On", "Group 1 OFF"); false when
    // the text is not one.
    bool sendCommand(const std::string& command);
    // The timer window's current-path field, set by its manual-run action.
    std::string currentPath;

    const MacroRunner& runner(int k) const { return *runners_.at(std::size_t(k)); }
    MacroRunner& runner(int k) { return *runners_.at(std::size_t(k)); }
    // `overflowEntries`: "index,time,path" entries in order.
    const std::deque<std::string>& overflowEntries() const { return overflow_; }
    Tick& overflowTick() { return *overflowTick_; }
    Tick& sendTick() { return sendQueue_->tick(); }
    bool indicatorShown() const { return indicatorOn_; }

private:
    // RunnerHost
    EventLoop& loop() override { return p_.loop; }
    TimerShared& shared() override { return p_.shared; }
    void showIndicator() override { setIndicator(true); }
    void lamp(bool lit) override;
    void playMacroCommandSound() override;
    void playTimerStartSound() override;
    std::string entryText(int timer) override;
    std::string nowText() override;
    std::string timeOfDayText() override;
    void appendLog(const std::string& entry) override;
    void setStatus(int timer, const std::string& text, unsigned colour, bool onlyExisting) override;
    const RunTexts& texts() override { return texts_; }
    void runEnded(MacroRunner& runner) override;

    void startTimerAt(int timer);
    // Loads a macro into a runner; false when the file could not be read.
    bool loadRunner(MacroRunner& runner, int timer, const std::string& path, const std::string& startText);
    MacroRunner* freeRunner();
    void toOverflow(int timer, const std::string& path);
    void onOverflowTick();
    void fileNotFound(int timer, const std::string& path);
    // nullopt when the entry names no existing file; else whether it started.
    std::optional<bool> launchProgram(const std::string& entry);
    bool groupOrCommand(const std::vector<std::string>& words);
    void commandResult(int timer, const std::string& entry, bool ok);
    void setIndicator(bool on);
    void endOfRunRoutine();
    void logStartError(int timer, const std::string& what);

    TimerEngineParts p_;
    TimerEngineHooks hooks_;
    RunTexts texts_;
    MacroPlayer player_;
    std::array<std::unique_ptr<MacroRunner>, MacroRunner::Count> runners_;
    std::unique_ptr<SendQueue> sendQueue_;
    std::deque<std::string> overflow_;
    std::unique_ptr<Tick> overflowTick_;
    bool indicatorOn_ = false;
};

} // namespace zul
