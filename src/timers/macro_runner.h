#pragma once
// One of the timer window's four macro runners ("mt0" to "mt3"). A runner
// is a periodic tick, not a thread: each tick turns the next row of its macro
// into a frame, appends it to the send queue `frameQueue` and sets the tick's
// period to the row's pause. Pauses above 60 s are counted down in steps of
// one minute and a final part-minute. A macro of n rows takes n + 1 ticks: the
// last one finds no row and ends the run.
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace zul {

struct TimerShared;
struct RunTexts;
class MacroRunner;

// What a runner needs of the timer window around it.
class RunnerHost {
public:
    virtual ~RunnerHost() = default;
    virtual EventLoop& loop() = 0;
    virtual TimerShared& shared() = 0;
    // The "Timer Running" indicator.
    virtual void showIndicator() = 0;
    // The main window's transmit lamp.
    virtual void lamp(bool lit) = 0;
    // "Sound on each command in macro" / "Sound on Timer start": plays when ticked.
    virtual void playMacroCommandSound() = 0;
    virtual void playTimerStartSound() = 0;
    // The timer's entry text as the user sees it.
    virtual std::string entryText(int timer) = 0;
    virtual std::string nowText() = 0;
    virtual std::string timeOfDayText() = 0;
    virtual void appendLog(const std::string& entry) = 0;
    // onlyExisting: leave the line alone when the status view has none for this timer.
    virtual void setStatus(int timer, const std::string& text, unsigned colour, bool onlyExisting) = 0;
    virtual const RunTexts& texts() = 0;
    // Called once the runner's tick is disabled at the end of a run.
    virtual void runEnded(MacroRunner& runner) = 0;
};

class MacroRunner {
public:
    static constexpr int Count = 4;
    // A pause up to this long is timed by one period; longer ones by minutes.
    static constexpr int LongPauseFromMs = 60000;
    static constexpr int FirstTickMs = 5;

    // index 0..3; the tick sleeps 50, 53, 56 or 59 ms so the runners do not
    // tick in lock-step.
    MacroRunner(int index, RunnerHost& host);

    int index() const { return index_; }
    int sleepMs() const { return sleepMs_; }
    // Busy while its tick is enabled.
    bool busy() const { return tick_->enabled(); }

    // Starts a run of timer `timer`: rows replace the old list, the first tick
    // comes after FirstTickMs. runStart is the time text the status line shows.
    void load(int timer, std::vector<std::string> rows, std::string runStart);
    // Ends a busy run at once, as its closing tick would (the rows left are not sent).
    void stop();

    int timer() const { return timer_; }
    int rowCounter() const { return row_; }
    const std::vector<std::string>& rows() const { return rows_; }
    const std::string& runStartText() const { return runStartText_; }
    bool runStarted() const { return runStarted_; }
    bool sentOne() const { return sentOne_; }
    bool longPause() const { return longPause_; }
    float minutesLeft() const { return minutesLeft_; }
    Tick& tick() { return *tick_; }
    const Tick& tick() const { return *tick_; }

private:
    void onTick();
    void countDownLongPause();
    void lightAndSound();
    void beginRun();
    // Queues the frame of a row; false when its code is not 16 bits.
    bool queueRow(const std::string& record);
    // The row's pause is p seconds (as text); returns with the period set.
    void afterShortPause(const std::string& record, const std::string& pauseText);
    void startLongPause(int pauseMs);
    void setPeriod(int ms);
    void endRun();

    const int index_;
    const int sleepMs_;
    RunnerHost& host_;
    std::unique_ptr<Tick> tick_;
    std::vector<std::string> rows_;
    int timer_ = 0;
    int row_ = 0;
    std::string pendingStart_; // the start text handed over at load
    std::string runStartText_; // copied at the first tick
    bool runStarted_ = false;
    bool sentOne_ = false; // runner 0 only
    bool longPause_ = false;
    float minutesLeft_ = 0;
};

} // namespace zul
