#include "support/sim/virtual_clock.h"

namespace zul::sim {

VirtualClock::VirtualClock(DateTime start) : startMillis_(start.toMillis()) {}

DateTime VirtualClock::now() const { return DateTime::fromMillis(startMillis_ + (micros_ + wallOffsetMicros_) / 1000); }

void VirtualClock::setNow(const DateTime& t) { wallOffsetMicros_ = (t.toMillis() - startMillis_) * 1000 - micros_; }

} // namespace zul::sim
