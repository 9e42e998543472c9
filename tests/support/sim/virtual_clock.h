#pragma once
#include "platform/clock.h"

namespace zul::sim {

// A clock that only moves when told to. Local time is the start time plus the
// virtual microseconds that have passed.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(DateTime start = DateTime{2024, 6, 3, 12, 0, 0, 0});

    DateTime now() const override;
    TimeZoneFacts timeZone() const override { return zone_; }
    bool uses24Hour() const override { return use24_; }
    std::int64_t monotonicMicros() const override { return micros_; }

    void advanceMicros(std::int64_t us) {
        if (us > 0) micros_ += us;
    }
    void advanceMs(std::int64_t ms) { advanceMicros(ms * 1000); }
    // Moves the monotonic time forward to t (never backward).
    void advanceTo(std::int64_t micros) {
        if (micros > micros_) micros_ = micros;
    }
    // Sets the wall clock (like the user changing the PC time) without moving
    // the monotonic counter.
    void setNow(const DateTime& t);
    void setTimeZone(const TimeZoneFacts& z) { zone_ = z; }
    void setUses24Hour(bool on) { use24_ = on; }

private:
    std::int64_t startMillis_;
    std::int64_t micros_ = 0;
    std::int64_t wallOffsetMicros_ = 0;
    TimeZoneFacts zone_{};
    bool use24_ = true;
};

} // namespace zul::sim
