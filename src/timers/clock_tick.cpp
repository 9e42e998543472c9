#include "timers/clock_tick.h"

#include <cctype>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "settings/settings_store.h"
#include "sun/sunrise.h"
#include "platform/text.h"
#include "timers/timer_file.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"

namespace zul {

namespace {

constexpr int kSecondsPerDay = 86400;

int secondsOf(const DateTime& t) { return t.hour * 3600 + t.minute * 60 + t.second; }

// Whole hours of a number of minutes, truncated toward zero.
int wholeHours(int minutes) { return minutes / 60; }

// The signed whole number of minutes after "SR"/"SS"; nullopt when it is none.
std::optional<int> offsetMinutes(const std::string& rest) {
    std::string t = trimBlanks(rest);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t = trimBlanks(t.substr(1));
    }
    int value = 0;
    const char* end = t.data() + t.size();
    auto [next, ec] = std::from_chars(t.data(), end, value);
    if (t.empty() || ec != std::errc{} || next != end) return std::nullopt;
    return negative ? -value : value;
}

std::string hhmmss(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

} // namespace

std::optional<std::string> fixedDueText(const std::string& start, bool twelveHour) {
    const auto seconds = parseTimeOfDay(start);
    if (!seconds) return std::nullopt;
    std::string shown = timeOfDayText(*seconds, twelveHour);
    if (start == shown || start == timeOfDayText(*seconds, !twelveHour)) return shown;
    return std::nullopt;
}

DaylightState daylightState(const TimeZoneFacts& tz) {
    const int standard = tz.bias + tz.standardBias;
    const int current = tz.bias + (tz.daylightInEffect ? tz.daylightBias : tz.standardBias);
    DaylightState d;
    d.inEffect = tz.daylightInEffect;
    d.daySavings = d.inEffect && wholeHours(standard) - wholeHours(current) == 1;
    return d;
}

unsigned daysRuleColourOn(DaysRule rule, int weekday) {
    if (rule == DaysRule::NotSet) return kColourNotSet;
    if (rule == DaysRule::Never) return kColourNever;
    return admits(rule, weekday) ? kColourActive : kColourNotToday;
}

bool loopWindowOpen(const LoopTimerFields& loop, int secondsOfDay) {
    if (!loop.useStartEnd) return true;
    const auto start = parseTimeOfDay(loop.startTime);
    const auto end = parseTimeOfDay(loop.endTime);
    return start && end && *start < secondsOfDay && secondsOfDay < *end;
}

// --- clock tick --------------------------------------------------------------

ClockTick::ClockTick(const Clock& clock, EventLoop& loop, SettingsBackend& settings, TimerTable& table,
                     TimerShared& shared)
    : clock_(clock), settings_(settings), table_(table), shared_(shared) {
    tick_ = loop.createTick("Timer1", kPeriodMs, [this] { pass(); });
    tick_->setCoarse(true);
}

ClockTick::~ClockTick() = default;

void ClockTick::pass() {
    const DateTime now = clock_.now();
    twelveHour_ = !clock_.uses24Hour();
    const std::string before = current_.text;
    enterSecond(now);
    shared_.clockText = current_.text;
    shared_.weekdayFlag.assign(1, current_.weekday == 1 || current_.weekday == 7 ? '0' : '1');
    // What follows changes with the second at the most: looked at once per second.
    const bool newSecond = current_.text != before;
    if (!newSecond && daysColours_.size() == static_cast<std::size_t>(table_.count())) return;
    updateDaylight();
    daysColours_.resize(static_cast<std::size_t>(table_.count()));
    for (int i = 0; i < table_.count(); ++i)
        daysColours_[static_cast<std::size_t>(i)] = daysRuleColourOn(table_.timer(i).days, current_.weekday);
    loopDaysColour_ = daysRuleColourOn(table_.loop().days, current_.weekday);
    loopInWindow_ = loopWindowOpen(table_.loop(), secondsOf(now));
    if (onNewSecond && newSecond) onNewSecond();
}

void ClockTick::enterSecond(const DateTime& now) {
    const std::int64_t serial = now.toMillis() / 1000 - (now.toMillis() % 1000 < 0 ? 1 : 0);
    const std::int64_t last = current_.serial;
    if (!started_ || serial < last || serial - last > kMaxCatchUpSeconds + 1) {
        // First pass, the clock was set back, or a gap too long to catch up.
        unchecked_.clear();
        push(serial);
    } else {
        for (std::int64_t s = last + 1; s <= serial; ++s) push(s);
    }
    started_ = true;
}

void ClockTick::push(std::int64_t serial) {
    const DateTime t = DateTime::fromMillis(serial * 1000);
    current_ = ClockSecond{serial, t.weekday(), timeOfDayText(t, twelveHour_)};
    unchecked_.push_back(current_);
    while (unchecked_.size() > static_cast<std::size_t>(kMaxCatchUpSeconds + 1)) unchecked_.pop_front();
}

std::vector<ClockSecond> ClockTick::takeSeconds() {
    std::vector<ClockSecond> out(unchecked_.begin(), unchecked_.end());
    unchecked_.clear();
    return out;
}

void ClockTick::updateDaylight() {
    const DaylightState d = daylightState(clock_.timeZone());
    daylightText_ = d.inEffect ? "Yes" : "No";
    // Written when it changes only: the settings file is rewritten on every write.
    if (writtenDaySavings_ == d.daySavings) return;
    const std::string value = d.daySavings ? "True" : "False";
    writeSettingIfChanged(settings_, Setting::DaySavings, value);
    writtenDaySavings_ = d.daySavings;
}

// --- sun tick ----------------------------------------------------------------

bool isSunStart(const std::string& start) {
    const auto upper = [&](std::size_t k) { return std::toupper(static_cast<unsigned char>(start[k])); };
    return start.size() >= 2 && upper(0) == 'S' && (upper(1) == 'R' || upper(1) == 'S');
}

SunSettings SunSettings::read(const SettingsBackend& settings) {
    return {readSetting(settings, Setting::CityLatitude), readSetting(settings, Setting::CityLongitude),
            readSetting(settings, Setting::CityZone), readSetting(settings, Setting::DaySavings)};
}

std::optional<SunTimes> sunTimesOn(SunCalculator& sun, const DateTime& day, const SunSettings& in, int systemZone,
                                   bool* placeError) {
    // A blank latitude or longitude means no place; anything else must be a usable one.
    const auto latitude = parseLocationNumber(in.latitude), longitude = parseLocationNumber(in.longitude);
    const auto storedZone = parseLocationNumber(in.zone);
    const bool blank = trimBlanks(in.latitude).empty() || trimBlanks(in.longitude).empty();
    const bool zoneBlank = trimBlanks(in.zone).empty();
    const double zone = storedZone ? roundHalfEven(*storedZone) : systemZone;
    const bool bad = !blank && (!latitude || !longitude || (!zoneBlank && !storedZone) ||
                                !placeProblem(*latitude, *longitude, zone).empty());
    if (placeError) *placeError = bad;
    if (blank || bad) return std::nullopt;
    sun.setDateDay(DateTime{day.year, day.month, day.day});
    sun.setLatitude(*latitude);
    sun.setLongitude(*longitude);
    sun.setTimeZone(static_cast<int>(zone));
    sun.setDaySavings(settingAsBool(in.daySavings, false));
    sun.calculateSun();
    return SunTimes{secondsOf(sun.sunrise()), secondsOf(sun.sunset())};
}

std::optional<std::string> dueTimeFor(const TimerRecord& timer, std::optional<int> sunrise, std::optional<int> sunset,
                                      bool twelveHour, bool placeError) {
    const std::string& s = timer.start;
    if (!timer.complete()) return s;
    if (!isSunStart(s)) return fixedDueText(s, twelveHour).value_or(s);
    if (placeError) return std::string("Error");
    const std::optional<int> base = std::toupper(static_cast<unsigned char>(s[1])) == 'R' ? sunrise : sunset;
    if (!base) return std::nullopt;
    int due = *base;
    if (s.size() >= 4) {
        const std::optional<int> offset = offsetMinutes(s.substr(2));
        if (!offset || std::abs(*offset) >= 24 * 60) return std::string("Error");
        due += *offset * 60;
    }
    if (due < 0 || due >= kSecondsPerDay) return std::string("Error");
    return timeOfDayText(due, twelveHour);
}

SunTick::SunTick(const Clock& clock, EventLoop& loop, const SettingsBackend& settings, TimerTable& table,
                 LangLookup lang)
    : clock_(clock), settings_(settings), table_(table), lang_(std::move(lang)),
      sun_(std::make_unique<SunCalculator>(clock.now())), sunriseWord_(lang_.cap("Sunrise")),
      sunsetWord_(lang_.cap("Sunset")) {
    tick_ = loop.createTick("tmrSunSet", kPeriodMs, [this] { pass(); });
    tick_->setCoarse(true);
}

SunTick::~SunTick() = default;

std::optional<SunTimes> SunTick::calculate(const DateTime& today) {
    const SunInputs in{today.dayNumber(), systemZoneHours(clock_.timeZone()), SunSettings::read(settings_)};
    // The calculation runs again only when the day or one of its inputs changed.
    if (!(in == lastInputs_)) {
        lastInputs_ = in;
        times_ = sunTimesOn(*sun_, today, in.settings, in.systemZone, &placeError_);
    }
    return times_;
}

void SunTick::pass() {
    const bool twelve = !clock_.uses24Hour();
    std::optional<int> sunrise, sunset;
    if (const auto times = calculate(clock_.now())) {
        sunrise = times->sunrise;
        sunset = times->sunset;
        sunriseText_ = hhmmss(DateTime::fromMillis(times->sunrise * 1000LL));
        sunsetText_ = hhmmss(DateTime::fromMillis(times->sunset * 1000LL));
        sunriseLabel_ = sunriseWord_ + " " + timeOfDayText(times->sunrise, twelve);
        sunsetLabel_ = sunsetWord_ + " " + timeOfDayText(times->sunset, twelve);
    } else {
        sunriseText_.clear();
        sunsetText_.clear();
        sunriseLabel_ = sunriseWord_;
        sunsetLabel_ = sunsetWord_;
    }
    for (int i = 0; i < table_.count(); ++i) {
        const TimerRecord& timer = table_.timer(i);
        const std::string& shown = table_.startTimes()[static_cast<std::size_t>(i)];
        if (!isSunStart(timer.start)) {
            const std::string due = fixedDueText(timer.start, twelve).value_or(timer.start);
            if (shown != due) table_.setDueTime(i, due);
        } else if (auto due = dueTimeFor(timer, sunrise, sunset, twelve, placeError_); due && *due != shown) {
            table_.setDueTime(i, *due);
        }
    }
}

bool SunTick::dueTimeIsError(int timer) const {
    return table_.startTimes().at(static_cast<std::size_t>(timer)) == "Error";
}

} // namespace zul
