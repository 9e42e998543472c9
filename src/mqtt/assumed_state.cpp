#include "mqtt/assumed_state.h"

#include <algorithm>
#include <cmath>

#include "macros/cro_codes.h"
#include "x10/x10_codes.h"

namespace zul::mqtt {

namespace {
std::size_t slot(const app::UnitAddress& u) { return static_cast<std::size_t>(app::UnitDescriptions::record(u) - 1); }

bool isFrame(const std::string& bits) {
    const std::string header = x10::FrameHeader, footer = x10::FrameFooter;
    return bits.size() == static_cast<std::size_t>(x10::FrameLength) && bits.compare(0, header.size(), header) == 0 &&
           bits.compare(bits.size() - footer.size(), footer.size(), footer) == 0;
}
} // namespace

std::vector<AssumedStates::Change> AssumedStates::frameSent(const std::string& bits, const Known& described) {
    if (!isFrame(bits)) return {};
    const auto command = macros::decodeCode(std::string_view(bits).substr(16, 16));
    if (!command) return {};
    const int house = *x10::parseHouse(command->house);
    const auto action = x10::parseAction(command->action);
    std::vector<Change> changes;
    const auto set = [&](const app::UnitAddress& u, bool on) {
        states_[slot(u)] = on;
        if (on) levels_[slot(u)] = full_;
        changes.push_back({u, on, levels_[slot(u)]});
    };
    if (action == x10::Action::On || action == x10::Action::Off) {
        const app::UnitAddress u{house, std::stoi(command->unit)};
        addressed(u);
        set(u, action == x10::Action::On);
    } else if (action == x10::Action::Bri || action == x10::Action::Dim) {
        step(house, action == x10::Action::Bri ? 1 : -1, changes);
    } else if (action == x10::Action::Aln || action == x10::Action::Alf || action == x10::Action::Auf) {
        for (int n = 1; n <= app::UnitsPerHouse; ++n) {
            const app::UnitAddress u{house, n};
            if (state(u) || (described && described(u))) set(u, action == x10::Action::Aln);
        }
    }
    return changes;
}

void AssumedStates::step(int house, int by, std::vector<Change>& changes) {
    const int unit = lastAddressed(house);
    if (unit == 0) return;
    const app::UnitAddress u{house, unit};
    if (state(u) != true) return;
    int& level = levels_[slot(u)];
    level = std::clamp(level + by, 0, full_);
    changes.push_back({u, true, level});
}

void AssumedStates::setFullSteps(int steps) {
    full_ = std::max(steps, 1);
    levels_.fill(full_);
}

std::optional<bool> AssumedStates::state(const app::UnitAddress& u) const { return states_[slot(u)]; }

int AssumedStates::level(const app::UnitAddress& u) const { return levels_[slot(u)]; }

int AssumedStates::percent(int steps) const {
    return static_cast<int>(std::lround(100.0 * std::clamp(steps, 0, full_) / full_));
}

int AssumedStates::stepsFor(int percent) const {
    return std::clamp(static_cast<int>(std::lround(percent * full_ / 100.0)), 1, full_);
}

std::vector<AssumedStates::Change> AssumedStates::known() const {
    std::vector<Change> out;
    for (int h = 1; h <= app::Houses; ++h)
        for (int n = 1; n <= app::UnitsPerHouse; ++n)
            if (const auto s = state({h, n})) out.push_back({{h, n}, *s, level({h, n})});
    return out;
}

} // namespace zul::mqtt
