#include "platform/system_clock.h"

#include <chrono>
#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

namespace zul {

bool localeUses24Hour(const char* localeName) {
    const locale_t locale = ::newlocale(LC_TIME_MASK, localeName, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return true;
    const std::string_view format = ::nl_langinfo_l(T_FMT, locale);
    // %r is the locale's 12-hour time; %I and %l are 12-hour hours; %p is AM/PM.
    const bool twelve = format.find("%r") != std::string_view::npos || format.find("%I") != std::string_view::npos ||
                        format.find("%l") != std::string_view::npos || format.find("%p") != std::string_view::npos;
    ::freelocale(locale);
    return !twelve;
}

SystemClock::SystemClock() : uses24Hour_(localeUses24Hour()) {}

DateTime SystemClock::now() const {
    using namespace std::chrono;
    const auto t = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&secs, &tm);
    DateTime d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    d.millisecond = static_cast<int>(duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000);
    return d;
}

namespace {
// Offset west of Greenwich in minutes and the daylight flag at a given instant.
void offsetAt(std::time_t when, int& westMinutes, bool& dst) {
    std::tm tm{};
    localtime_r(&when, &tm);
    westMinutes = static_cast<int>(-tm.tm_gmtoff / 60);
    dst = tm.tm_isdst > 0;
}
} // namespace

TimeZoneFacts SystemClock::timeZone() const {
    const std::time_t now = std::time(nullptr);
    int current = 0;
    bool dst = false;
    offsetAt(now, current, dst);
    // Look half a year either way for the other season's offset.
    int standard = current;
    int daylight = current;
    for (std::time_t probe : {now - 182 * 86400L, now + 182 * 86400L}) {
        int off = 0;
        bool probeDst = false;
        offsetAt(probe, off, probeDst);
        (probeDst ? daylight : standard) = off;
    }
    if (dst) daylight = current;
    else standard = current;
    TimeZoneFacts z;
    z.bias = standard;
    z.standardBias = 0;
    z.daylightBias = daylight - standard;
    z.daylightInEffect = dst;
    return z;
}

std::int64_t SystemClock::monotonicMicros() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace zul
