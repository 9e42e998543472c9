#include "windows/macro_editor_tab_boxes.h"

#include <algorithm>

#include "macros/macro_row.h"
#include "platform/text.h"

namespace zul::windows {

namespace {

bool allOf(std::string_view text, std::string_view allowed) {
    return std::all_of(text.begin(), text.end(), [&](char c) { return allowed.find(c) != std::string_view::npos; });
}

bool acceptedUnit(const std::string& unit) {
    if (unit.empty()) return true;
    if (allOf(unit, "0123456789")) return unit.size() <= 2 && unit[0] != '0';
    return unit.size() <= 3 && allOf(unit, "ALPRE");
}

bool acceptedPause(const std::string& pause) {
    const auto separators = std::count_if(pause.begin(), pause.end(), [](char c) { return c == '.' || c == ','; });
    return pause.size() <= 4 && separators <= 1 && allOf(pause, "0123456789.,");
}

} // namespace

std::optional<std::string> acceptBoxText(EditBox box, std::string_view typed) {
    std::string text = asciiUpper(typed);
    bool ok = false;
    switch (box) {
    case EditBox::House: ok = text.empty() || macros::isHouseLetter(text); break;
    case EditBox::Unit: ok = acceptedUnit(text); break;
    case EditBox::Action: ok = text.size() <= 3 && allOf(text, "ABDFILMNORU"); break;
    case EditBox::Pause: ok = acceptedPause(text); break;
    }
    if (!ok) return std::nullopt;
    return text;
}

const std::string& EditBoxes::text(EditBox box) const { return const_cast<EditBoxes*>(this)->slot(box); }

std::string& EditBoxes::slot(EditBox box) {
    switch (box) {
    case EditBox::House: return house;
    case EditBox::Unit: return unit;
    case EditBox::Action: return action;
    case EditBox::Pause: break;
    }
    return pause;
}

void EditBoxes::leave(EditBox box) {
    if (box == EditBox::Unit) unit = macros::expandUnit(unit);
    if (box == EditBox::Pause) pause = macros::normalizePause(pause);
    if (box != EditBox::Action) return;
    macros::MacroRow row{house, unit, macros::expandAction(action), pause};
    macros::coupleUnitToAction(row);
    unit = row.unit;
    action = row.action;
}

EnterKey EditBoxes::enterKey(EditBox box) const {
    const bool filled = !text(box).empty();
    if (box == EditBox::Pause) return filled ? EnterKey::EntryMode : EnterKey::Calculator;
    return filled ? EnterKey::NextBox : EnterKey::PickList;
}

const std::vector<std::string>& pickList(EditBox box) {
    static const std::vector<std::string> houses = [] {
        std::vector<std::string> v;
        for (char c = 'A'; c <= 'P'; ++c) v.emplace_back(1, c);
        return v;
    }();
    static const std::vector<std::string> units = [] {
        std::vector<std::string> v;
        for (int n = 1; n <= 16; ++n) v.push_back(std::to_string(n));
        v.emplace_back("PRE");
        v.emplace_back("ALL");
        return v;
    }();
    static const std::vector<std::string> actions = {"ON", "OFF", "BRI", "DIM", "ALN", "ALF", "AUF"};
    static const std::vector<std::string> none;
    switch (box) {
    case EditBox::House: return houses;
    case EditBox::Unit: return units;
    case EditBox::Action: return actions;
    case EditBox::Pause: break;
    }
    return none;
}

std::string pickListDefault(EditBox box, std::string_view current) {
    const auto& list = pickList(box);
    if (std::find(list.begin(), list.end(), current) != list.end()) return std::string(current);
    return list.empty() ? std::string() : list.front();
}

} // namespace zul::windows
