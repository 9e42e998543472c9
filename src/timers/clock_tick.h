#pragma once
// The two ticks of the timer window that keep the scheduler's inputs current:
// the clock tick (`Timer1`, 250 ms) writes the clock text, the weekday flag,
// the daylight state, the days-rule colours and the loop timer's in-window
// flag; the sun tick (1000 ms) turns "SR"/"SS" start texts into
// due times. Every time-of-day text they produce comes from timeOfDayText, so
// a due time and the clock text match exactly when they name the same second.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/datetime.h"
#include "timers/days_rule.h"
#include "timers/translate.h"

namespace zul {

class Clock;
class EventLoop;
class SettingsBackend;
class Tick;
class TimerTable;
class SunCalculator;
struct LoopTimerFields;
struct TimerRecord;
struct TimerShared;
struct TimeZoneFacts;

// The clock text a fixed start time is due at: the start text itself when it
// is written as the clock writes times, or as the clock writes them in the
// other style (stored before the locale's time style changed), rewritten to
// this one. nullopt for any other text (it never matches the clock).
std::optional<std::string> fixedDueText(const std::string& start, bool twelveHour);

// Whether the system reports daylight time now, and the "DaySavings" value:
// true only when daylight time is in effect and moves the clock by one whole hour.
struct DaylightState {
    bool inEffect = false;
    bool daySavings = false;
};
DaylightState daylightState(const TimeZoneFacts& tz);

// The colour of a days label on a weekday (Sunday = 1): green when the rule
// lets the timer run that day, yellow when it excludes the day, grey for
// "not set", light red for "Never".
unsigned daysRuleColourOn(DaysRule rule, int weekday);

// The loop timer's window test: inside when start < now < end (both strict);
// always inside when the window is not used. A window that cannot be read,
// or whose end is not after its start, is never open.
bool loopWindowOpen(const LoopTimerFields& loop, int secondsOfDay);

// One second of the clock as the scheduler checks it.
struct ClockSecond {
    std::int64_t serial = 0; // whole seconds since 1970-01-01 00:00:00, local time
    int weekday = 1;         // Sunday = 1 ... Saturday = 7
    std::string text;        // the clock text of that second
};

class ClockTick {
public:
    static constexpr int kPeriodMs = 250;
    // A stalled event loop is caught up for at most this many skipped seconds;
    // a longer gap (a machine that slept) is not.
    static constexpr int kMaxCatchUpSeconds = 60;

    ClockTick(const Clock& clock, EventLoop& loop, SettingsBackend& settings, TimerTable& table, TimerShared& shared);
    ~ClockTick();
    ClockTick(const ClockTick&) = delete;
    ClockTick& operator=(const ClockTick&) = delete;

    // One pass of `Timer1`.
    void pass();
    // Told at the end of a pass that entered a new second (the window shows the clock).
    std::function<void()> onNewSecond;

    // The seconds the clock entered since the last call, oldest first, with
    // the seconds a stalled loop skipped between two passes filled in.
    std::vector<ClockSecond> takeSeconds();
    // Drops the seconds not yet taken (the scheduler was off meanwhile).
    void forgetSeconds() { unchecked_.clear(); }

    // The second of the last pass.
    const ClockSecond& current() const { return current_; }
    bool twelveHour() const { return twelveHour_; }
    const std::string& daylightText() const { return daylightText_; } // "Yes" / "No"
    // Days-label colour per timer, and of the loop timer's days label.
    const std::vector<unsigned>& daysColours() const { return daysColours_; }
    unsigned loopDaysColour() const { return loopDaysColour_; }
    bool loopInWindow() const { return loopInWindow_; }
    std::string loopInWindowText() const { return loopInWindow_ ? "True" : "False"; }

    Tick& tick() { return *tick_; }

private:
    void enterSecond(const DateTime& now);
    void push(std::int64_t serial);
    void updateDaylight();

    const Clock& clock_;
    SettingsBackend& settings_;
    TimerTable& table_;
    TimerShared& shared_;
    bool started_ = false;
    bool twelveHour_ = false;
    ClockSecond current_;
    std::deque<ClockSecond> unchecked_;
    std::string daylightText_ = "No";
    std::optional<bool> writtenDaySavings_;
    std::vector<unsigned> daysColours_;
    unsigned loopDaysColour_ = kColourNotSet;
    bool loopInWindow_ = true;
    std::unique_ptr<Tick> tick_;
};

// "SR" or "SS" (either case) at the start of a start text.
bool isSunStart(const std::string& start);
// The settings sunrise and sunset are computed from (section "Settings").
struct SunSettings {
    std::string latitude, longitude, zone, daySavings; // "CityLatitude", "CityLongitude", "CityZone", "DaySavings"
    static SunSettings read(const SettingsBackend& settings);
    bool operator==(const SunSettings&) const = default;
};

// A day's sunrise and sunset as seconds of the day.
struct SunTimes {
    int sunrise = 0, sunset = 0;
};

// The sun times of day for the settings (a blank zone means the
// system's zone, systemZone); nullopt while no place is set, or when the one
// stored is no usable place (placeError then true). sun is the calculator to use.
std::optional<SunTimes> sunTimesOn(SunCalculator& sun, const DateTime& day, const SunSettings& settings, int systemZone,
                                   bool* placeError = nullptr);

// The due time of a timer for today's sun times (seconds of the day; nullopt
// when they are not known). A fixed start text is due at fixedDueText (else at
// itself, which never comes). For
// "SR"/"SS" with an optional signed offset in minutes the result is the sun
// time moved by the offset; "Error" when the offset is no whole number or
// moves the time out of the day, or when the stored place is unusable
// (placeError). nullopt: keep the previous due time.
std::optional<std::string> dueTimeFor(const TimerRecord& timer, std::optional<int> sunrise, std::optional<int> sunset,
                                      bool twelveHour, bool placeError = false);

class SunTick {
public:
    static constexpr int kPeriodMs = 1000;
    // The start field of a timer whose due time is "Error".
    static constexpr unsigned kErrorColour = 0x8080FF;

    SunTick(const Clock& clock, EventLoop& loop, const SettingsBackend& settings, TimerTable& table,
            LangLookup lang = {});
    ~SunTick();
    SunTick(const SunTick&) = delete;
    SunTick& operator=(const SunTick&) = delete;

    // One pass of the sun tick.
    void pass();

    // Today's sun times as "HH:mm:ss"; empty while the location is not set.
    const std::string& sunriseText() const { return sunriseText_; }
    const std::string& sunsetText() const { return sunsetText_; }
    // The window's sun labels: "Sunrise 6:06:43 AM" / "Sunset 18:14:19".
    const std::string& sunriseLabel() const { return sunriseLabel_; }
    const std::string& sunsetLabel() const { return sunsetLabel_; }
    bool dueTimeIsError(int timer) const;

    Tick& tick() { return *tick_; }

private:
    std::optional<SunTimes> calculate(const DateTime& today);

    const Clock& clock_;
    const SettingsBackend& settings_;
    TimerTable& table_;
    LangLookup lang_;
    std::unique_ptr<SunCalculator> sun_;
    // Looked up once: the lookup reads the language file's date each time.
    std::string sunriseWord_, sunsetWord_;
    // What the last calculation used: the day, the system's zone and the settings.
    struct SunInputs {
        std::int64_t day = -1;
        int systemZone = 0;
        SunSettings settings;
        bool operator==(const SunInputs&) const = default;
    };
    SunInputs lastInputs_;
    bool placeError_ = false; // a place is stored but is no number or lies outside the Earth's ranges
    std::optional<SunTimes> times_;
    std::string sunriseText_, sunsetText_, sunriseLabel_, sunsetLabel_;
    std::unique_ptr<Tick> tick_;
};

} // namespace zul
