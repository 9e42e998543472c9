#pragma once
// Local calendar date-time with millisecond resolution, and the calendar
// arithmetic the scheduler, the sun calculator and the logs share.
#include <cstdint>
#include <string>

namespace zul {

struct DateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;

    // 1 = Sunday ... 7 = Saturday, the numbering the day rules and settings use.
    int weekday() const;
    // Seconds since midnight, with the milliseconds as a fraction.
    double secondsOfDay() const;
    // Days since 1970-01-01 of the date part.
    std::int64_t dayNumber() const;
    // Milliseconds since 1970-01-01 00:00:00 of this (local) date-time.
    std::int64_t toMillis() const;
    static DateTime fromMillis(std::int64_t ms);
    static DateTime fromDayNumber(std::int64_t days);
    DateTime addMillis(std::int64_t ms) const { return fromMillis(toMillis() + ms); }
    // Day of the year, 1 for January 1st.
    int dayOfYear() const;

    // "YYYY-MM-DD HH:MM:SS"
    std::string isoText() const;
    // Parses "YYYY-MM-DD" or "YYYY-MM-DD HH:MM[:SS]"; false when malformed or out of range.
    static bool parse(const std::string& text, DateTime& out);

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A time of day as every clock of the program shows it: "7:05:09 PM"
// (twelveHour) or "19:05:09", the hour without a leading zero.
std::string timeOfDayText(int secondsOfDay, bool twelveHour);
std::string timeOfDayText(const DateTime& t, bool twelveHour);

// The date and time as the logs and marker files show "now": "YYYY-MM-DD"
// and the time in the user's clock style ("19:05:09" or "7:05:09 PM").
std::string generalDateTimeText(const DateTime& t, bool use24Hour);

bool isLeapYear(int year);
int daysInMonth(int year, int month);

} // namespace zul
