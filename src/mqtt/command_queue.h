#pragma once
// The unit commands that came through the bridge, on their way to the
// transmitter. Each is a wish for one unit: ON, OFF, a brightness, or a
// number of BRI or DIM steps. At most MaxWaiting units wait: a command for a
// unit that already waits replaces the waiting one (only the last ON or OFF
// matters; BRI and DIM steps add up), and beyond the bound new units are
// refused, so that a flood cannot hold up a later command for long.
//
// The frames are chosen one at a time, just before each goes out, from what
// the units are assumed to be doing then: a brightness is reached from the
// assumed level with BRI or DIM frames, after an ON that addresses the unit
// when another unit of its house code was addressed last (or it is off).
#include <deque>
#include <optional>
#include <utility>

#include "app/unit_descriptions.h"
#include "mqtt/assumed_state.h"
#include "x10/x10_codes.h"

namespace zul::mqtt {

class CommandQueue {
public:
    static constexpr std::size_t MaxWaiting = 8;

    struct Wish {
        enum class Kind { On, Off, Level, Steps };
        app::UnitAddress unit;
        Kind kind = Kind::On;
        int value = 0; // Level: steps from 0 to full; Steps: BRI (+) or DIM (-) frames
    };

    // False when the wish is refused: MaxWaiting other units wait already.
    bool add(const Wish& wish);
    // The next frame toward the first waiting wish; nullopt when none waits.
    std::optional<x10::Command> next(const AssumedStates& states);
    bool empty() const { return waiting_.empty(); }
    // Drops every waiting wish; returns how many there were.
    std::size_t clear() { return std::exchange(waiting_, {}).size(); }
    std::size_t size() const { return waiting_.size(); }

private:
    struct Waiting {
        Wish wish;
        int framesLeft = 0; // a wish that cannot be met (the frames go nowhere) ends after these
    };
    std::optional<x10::Command> step(Waiting& w, const AssumedStates& states, bool& done) const;

    std::deque<Waiting> waiting_;
};

} // namespace zul::mqtt
