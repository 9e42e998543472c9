#pragma once
// The timer table worked out ahead: each timer's due time today and the next
// second it will run, decided as the scheduler decides it (the same due-time
// texts, days rules and sun times), so a user without the timer window can
// check what will happen. Also the lines of a timer file the timers cannot use.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"
#include "timers/clock_tick.h"

namespace zul {

class TimerTable;

struct OutlookInputs {
    DateTime now;
    bool twelveHour = false; // the clock's time style
    SunSettings sun;         // the location the sun times are computed for
    int systemZone = 0;      // used when the location names no zone
};

struct TimerOutlook {
    int timer = 0;                   // 0-based index
    std::string dueToday;            // the text the scheduler compares today: "" none, "Error" no time
    std::optional<DateTime> nextRun; // the second it next runs
    std::string never;               // why it will not run when nextRun is empty
};

// Days ahead, today included, that the next run is looked for: every weekday once.
inline constexpr int kOutlookDays = 8;

// The outlook of every timer that has an entry or a start time, in timer order.
std::vector<TimerOutlook> timerOutlook(const TimerTable& table, const OutlookInputs& in, int days = kOutlookDays);

// Lines of a timer file's text that the timers cannot use as written, as
// "line N: ..." texts: a line without all three fields, an unknown days rule
// on a complete timer, lines past the largest table, binary data.
std::vector<std::string> timerFileProblems(std::string_view bytes);

} // namespace zul
