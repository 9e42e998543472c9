#include "timers/timer_outlook.h"

#include "platform/text.h"
#include "sun/sunrise.h"
#include "timers/clock_tick.h"
#include "timers/days_rule.h"
#include "timers/timer_file.h"
#include "timers/timer_table.h"

namespace zul {

namespace {

bool startsAtSun(const TimerRecord& t) { return isSunStart(t.start); }

// The sun times of today and the days after it, each computed once.
class SunDays {
public:
    explicit SunDays(const OutlookInputs& in) : in_(in), sun_(in.now) {}

    DateTime day(int offset) const { return DateTime::fromDayNumber(in_.now.dayNumber() + offset); }

    std::optional<SunTimes> on(int offset) {
        const auto i = static_cast<std::size_t>(offset);
        if (i >= known_.size()) known_.resize(i + 1);
        if (!known_[i]) known_[i] = sunTimesOn(sun_, day(offset), in_.sun, in_.systemZone, &placeError_);
        return *known_[i];
    }
    // The location stored is no usable place.
    bool placeError() {
        on(0);
        return placeError_;
    }

    // The due-time text the scheduler compares on that day ("" when it has none).
    std::string dueOn(const TimerRecord& t, int offset) {
        const std::optional<SunTimes> sun = startsAtSun(t) ? on(offset) : std::nullopt;
        const auto due = dueTimeFor(t, sun ? std::optional(sun->sunrise) : std::nullopt,
                                    sun ? std::optional(sun->sunset) : std::nullopt, in_.twelveHour, placeError_);
        return due.value_or("");
    }

private:
    const OutlookInputs& in_;
    SunCalculator sun_;
    std::vector<std::optional<std::optional<SunTimes>>> known_;
    bool placeError_ = false;
};

// Why a timer can never run, whatever the day; "" when it can.
std::string neverReason(const TimerRecord& t, SunDays& sun, bool twelveHour) {
    if (trimBlanks(t.entry).empty()) return "no entry";
    if (trimBlanks(t.start).empty()) return "no start time";
    if (t.days == DaysRule::Never || t.days == DaysRule::NotSet) return "days rule " + daysRuleCaption(t.days);
    if (startsAtSun(t)) {
        if (sun.on(0)) return "";
        return sun.placeError() ? "the location set up is no usable place" : "no location set for sunrise and sunset";
    }
    const auto seconds = parseTimeOfDay(t.start);
    if (!seconds) return "'" + t.start + "' is not a time of day";
    // Due times are compared with the clock text as text.
    const std::string shown = timeOfDayText(*seconds, twelveHour);
    if (!fixedDueText(t.start, twelveHour))
        return "'" + t.start + "' is not written as the clock shows it (" + shown + ")";
    return "";
}

TimerOutlook outlookOf(int index, const TimerRecord& t, SunDays& sun, const OutlookInputs& in, int days) {
    TimerOutlook o;
    o.timer = index;
    o.dueToday = sun.dueOn(t, 0);
    o.never = neverReason(t, sun, in.twelveHour);
    if (!o.never.empty()) return o;
    const int nowSeconds = in.now.hour * 3600 + in.now.minute * 60 + in.now.second;
    for (int d = 0; d < days; ++d) {
        const DateTime day = sun.day(d);
        if (!admits(t.days, day.weekday())) continue;
        const auto due = parseTimeOfDay(d == 0 ? o.dueToday : sun.dueOn(t, d));
        // A timer fires in the second its due time names, so one due now still runs.
        if (!due || (d == 0 && *due < nowSeconds)) continue;
        o.nextRun = day.addMillis(*due * 1000LL);
        return o;
    }
    o.never = o.dueToday == "Error" ? "the offset moves the time out of the day"
                                    : "not within " + std::to_string(days) + " days";
    return o;
}

} // namespace

std::vector<TimerOutlook> timerOutlook(const TimerTable& table, const OutlookInputs& in, int days) {
    SunDays sun(in);
    std::vector<TimerOutlook> out;
    for (int i = 0; i < table.count(); ++i) {
        const TimerRecord& t = table.timer(i);
        if (trimBlanks(t.entry).empty() && trimBlanks(t.start).empty()) continue;
        out.push_back(outlookOf(i, t, sun, in, days));
    }
    return out;
}

std::vector<std::string> timerFileProblems(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return {"the file holds binary data, not timer lines"};
    std::vector<std::string> out;
    const std::vector<TimerFileLine> lines = parseTimerFile(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TimerFileLine& l = lines[i];
        TimerRecord timer;
        timer.entry = TimerTable::storable(l.entry);
        timer.start = TimerTable::storable(l.start);
        if (trimBlanks(timer.entry).empty() && trimBlanks(timer.start).empty()) continue;
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (i >= static_cast<std::size_t>(TimerTable::kMaxTimers)) {
            out.push_back(where + "more than " + std::to_string(TimerTable::kMaxTimers) +
                          " timers; this line and the ones after it are not read");
            break;
        }
        const std::string days = trimBlanks(l.days);
        if (l.fields < 3)
            out.push_back(where + std::to_string(l.fields) + " of the three fields entry*start*days rule");
        else if (timer.complete() && daysRuleFromCaption(days) == DaysRule::NotSet && !equalsNoCase(days, "not set"))
            out.push_back(where + "unknown days rule '" + days + "'; the timer never runs");
    }
    return out;
}

} // namespace zul
