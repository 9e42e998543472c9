#pragma once
#include "platform/clock.h"

namespace zul {

// The PC clock through the C library (local time zone from TZ / the system).
class SystemClock : public Clock {
public:
    DateTime now() const override;
    TimeZoneFacts timeZone() const override;
    std::int64_t monotonicMicros() const override;
};

} // namespace zul
