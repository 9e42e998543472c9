#include "mqtt/assumed_state.h"

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
        changes.push_back({u, on});
    };
    if (action == x10::Action::On || action == x10::Action::Off) {
        const app::UnitAddress u{house, std::stoi(command->unit)};
        addressed(u);
        set(u, action == x10::Action::On);
    } else if (action == x10::Action::Aln || action == x10::Action::Alf || action == x10::Action::Auf) {
        for (int n = 1; n <= app::UnitsPerHouse; ++n) {
            const app::UnitAddress u{house, n};
            if (state(u) || (described && described(u))) set(u, action == x10::Action::Aln);
        }
    }
    return changes;
}

std::optional<bool> AssumedStates::state(const app::UnitAddress& u) const { return states_[slot(u)]; }

std::vector<AssumedStates::Change> AssumedStates::known() const {
    std::vector<Change> out;
    for (int h = 1; h <= app::Houses; ++h)
        for (int n = 1; n <= app::UnitsPerHouse; ++n)
            if (const auto s = state({h, n})) out.push_back({{h, n}, *s});
    return out;
}

} // namespace zul::mqtt
