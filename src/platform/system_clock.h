#pragma once
#include "platform/clock.h"

namespace zul {

// The PC clock through the C library (local time zone from TZ / the system),
// with the time style of the user's locale (LC_TIME) as the program started.
class SystemClock : public Clock {
public:
    SystemClock();
    DateTime now() const override;
    TimeZoneFacts timeZone() const override;
    bool uses24Hour() const override { return uses24Hour_; }
    std::int64_t monotonicMicros() const override;

private:
    bool uses24Hour_ = true;
};

// Whether a locale writes times on the 24-hour clock: its time format names
// no 12-hour field and no AM/PM marker. "" is the user's locale (LC_ALL,
// LC_TIME, LANG); a locale that is not installed counts as the C locale.
bool localeUses24Hour(const char* localeName = "");

} // namespace zul
