#pragma once
// The program's view of the PC clock: local time, weekday, the time-zone facts
// the sun times and the daylight indicator need, and a monotonic microsecond
// counter for the bit timing.
#include <cstdint>

#include "platform/datetime.h"

namespace zul {

// The operating system's time-zone facts, in minutes positive west of
// Greenwich: UTC = local time + bias + (daylightBias while daylight saving is
// in effect, else standardBias).
struct TimeZoneFacts {
    int bias = 0;
    int standardBias = 0;
    int daylightBias = -60;
    bool daylightInEffect = false;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
    virtual TimeZoneFacts timeZone() const = 0;
    // True when the user's locale shows times on the 24-hour clock.
    virtual bool uses24Hour() const { return true; }
    // Monotonic time in microseconds; only differences mean anything.
    virtual std::int64_t monotonicMicros() const = 0;
};

} // namespace zul
