#include "platform/datetime.h"

#include <cstdio>
#include <string_view>

namespace zul {

namespace {
// Howard Hinnant's civil-from-days / days-from-civil algorithms.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}
} // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::int64_t DateTime::dayNumber() const {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

int DateTime::weekday() const {
    // 1970-01-01 was a Thursday (5 in the Sunday = 1 numbering).
    const std::int64_t w = (dayNumber() + 4) % 7;
    return static_cast<int>((w + 7) % 7) + 1;
}

double DateTime::secondsOfDay() const { return hour * 3600.0 + minute * 60.0 + second + millisecond / 1000.0; }

std::int64_t DateTime::toMillis() const {
    return dayNumber() * 86400000LL + hour * 3600000LL + minute * 60000LL + second * 1000LL + millisecond;
}

DateTime DateTime::fromDayNumber(std::int64_t days) {
    DateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    return t;
}

DateTime DateTime::fromMillis(std::int64_t ms) {
    const std::int64_t days = floorDiv(ms, 86400000LL);
    std::int64_t rest = ms - days * 86400000LL;
    DateTime t = fromDayNumber(days);
    t.hour = static_cast<int>(rest / 3600000);
    rest %= 3600000;
    t.minute = static_cast<int>(rest / 60000);
    rest %= 60000;
    t.second = static_cast<int>(rest / 1000);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

int DateTime::dayOfYear() const {
    DateTime jan1;
    jan1.year = year;
    return static_cast<int>(dayNumber() - jan1.dayNumber()) + 1;
}

std::string DateTime::isoText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buf;
}

std::string timeOfDayText(int secondsOfDay, bool twelveHour) {
    constexpr int day = 86400;
    const int s = ((secondsOfDay % day) + day) % day;
    const int hour = s / 3600;
    char buf[24];
    if (twelveHour) {
        const int h12 = hour % 12 == 0 ? 12 : hour % 12;
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, s / 60 % 60, s % 60, hour < 12 ? "AM" : "PM");
    } else {
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d", hour, s / 60 % 60, s % 60);
    }
    return buf;
}

std::string timeOfDayText(const DateTime& t, bool twelveHour) {
    return timeOfDayText(t.hour * 3600 + t.minute * 60 + t.second, twelveHour);
}

std::string generalDateTimeText(const DateTime& t, bool use24Hour) {
    if (use24Hour) return t.isoText();
    return t.isoText().substr(0, 10) + " " + timeOfDayText(t, true);
}

bool DateTime::parse(const std::string& text, DateTime& out) {
    // Digits at fixed places and nothing else: no signs, blanks or short fields.
    static constexpr std::string_view shape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != 10 && text.size() != 16 && text.size() != 19) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (shape[i] == 'd' ? text[i] < '0' || text[i] > '9' : text[i] != shape[i]) return false;
    const auto number = [&](std::size_t at, std::size_t digits) {
        int v = 0;
        for (std::size_t i = at; i < at + digits; ++i) v = v * 10 + (text[i] - '0');
        return v;
    };
    DateTime t;
    t.year = number(0, 4);
    t.month = number(5, 2);
    t.day = number(8, 2);
    if (text.size() > 10) t.hour = number(11, 2), t.minute = number(14, 2);
    if (text.size() > 16) t.second = number(17, 2);
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month)) return false;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return false;
    out = t;
    return true;
}

} // namespace zul
