#pragma once
// What the units are assumed to be doing. The CM17A only sends, so the state
// of a unit is the last ON or OFF sent to it, by any route: every frame that
// goes out is decoded here.
//
// Whole-house commands change every unit of the house code that the hub
// knows of (described, or with a state already): All Lights On turns them
// on, All Lights Off and All Units Off turn them off. BRI and DIM change no
// state; they act on the unit last addressed on their house code, which is
// remembered here.
//
// Brightness is assumed too, in steps of 0 (dark) to full (the number of DIM
// frames that take a lamp module from full brightness to dark): a unit is at
// full after ON (and All Lights On), and each BRI or DIM moves the unit last
// addressed one step while it is on. Nothing asks the module.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/unit_descriptions.h"
#include "mqtt/mqtt_settings.h"

namespace zul::mqtt {

class AssumedStates {
public:
    struct Change {
        app::UnitAddress unit;
        bool on = false;
        int level = 0; // steps, while on
        friend bool operator==(const Change&, const Change&) = default;
    };
    using Known = std::function<bool(const app::UnitAddress&)>;

    explicit AssumedStates(int fullSteps = DefaultDimSteps) { setFullSteps(fullSteps); }
    int fullSteps() const { return full_; }
    // The number of steps changed: every level is taken as full.
    void setFullSteps(int steps);

    // A bit string that went out; anything but a well-formed frame changes
    // nothing. Returns the states it changed (or confirmed).
    std::vector<Change> frameSent(const std::string& bits, const Known& described);

    std::optional<bool> state(const app::UnitAddress& u) const;
    int level(const app::UnitAddress& u) const;
    // Steps as a percentage, and a percentage as the nearest step (1 at least).
    int percent(int steps) const;
    int stepsFor(int percent) const;
    // Every unit with a known state, house by house.
    std::vector<Change> known() const;

    // The unit last addressed (by ON or OFF) on a house code, 0 when none.
    int lastAddressed(int house) const { return addressed_.at(static_cast<std::size_t>(house - 1)); }
    void addressed(const app::UnitAddress& u) { addressed_.at(static_cast<std::size_t>(u.house - 1)) = u.unit; }

private:
    void step(int house, int by, std::vector<Change>& changes);

    int full_ = DefaultDimSteps;
    std::array<std::optional<bool>, app::Houses * app::UnitsPerHouse> states_{};
    std::array<int, app::Houses * app::UnitsPerHouse> levels_{};
    std::array<int, app::Houses> addressed_{};
};

} // namespace zul::mqtt
