#pragma once
// The main window's three display ticks: the clock tick (the time of day, the
// window's visibility, the weekly update check), the lamp tick (the transmit lamp)
// and the indicator tick (the blinking "Timer Running").
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/datetime.h"
#include "platform/event_loop.h"
#include "platform/signal.h"

namespace zul::app {

class App;

class MainClock {
public:
    static constexpr int ClockMs = 500;
    static constexpr int FlashMs = 50;
    static constexpr int IndicateMs = 750;
    static constexpr int TicksPerCheck = 30; // every 15 s

    explicit MainClock(App& app);
    ~MainClock();

    // The clock tick runs from the main window's load until it closes.
    void start();
    void stop();
    void clockTick();
    const std::string& clockText() const { return clockText_; }

    void startFlash();
    void stopFlash();
    bool lampLit() const { return lampLit_; }
    bool flashing() const { return flash_->enabled(); }
    // The lamp lit or unlit at once (the macro player, around each frame).
    void setLamp(bool lit);

    // Switched on and off by the timer runner.
    void setTimerRunning(bool on);
    bool timerRunning() const { return indicate_->enabled(); }
    const std::string& indicatorText() const { return indicator_; }

    // A short line about the update check ("checking update"), or "".
    const std::string& updateStatus() const { return updateStatus_; }
    // "Check Online for Upgrade".
    void checkOnlineForUpgrade();
    std::filesystem::path updaterPath() const;
    bool updaterPresent() const;

    // The shown state changed (clock text, lamp, indicator, status).
    Signal<> changed;

private:
    void weeklyCheck(const DateTime& now);
    void askAboutUpdates(const DateTime& now);
    void runUpdater(const std::string& type);
    void notify() { changed(); }

    App& app_;
    std::unique_ptr<Tick> clock_, flash_, indicate_;
    std::string clockText_;
    std::string indicator_;
    std::string updateStatus_;
    bool lampLit_ = false;
    int tickCount_ = 0;
    int passCount_ = 0;
    std::int64_t checkedOnDay_ = -1; // the day the weekly check last ran in this session
};

} // namespace zul::app
