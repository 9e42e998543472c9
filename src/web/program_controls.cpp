#include "web/program_controls.h"

#include <filesystem>
#include <set>

#include "app/app.h"
#include "app/groups_panel.h"
#include "mqtt/discovery.h"
#include "platform/text.h"
#include "sun/location_tab.h"
#include "timers/timer_outlook.h"
#include "timers/timer_service.h"

namespace zul::web {

namespace {
using mqtt::jsonString;

std::string stateText(std::optional<bool> on) { return on ? jsonString(*on ? "ON" : "OFF") : "null"; }
std::string boolText(bool on) { return on ? "true" : "false"; }

std::string joined(const std::vector<std::string>& items) { return "[" + joinWith(items, ",") + "]"; }
} // namespace

std::string ProgramControls::stateJson() {
    return "{\"transmitter\":" + boolText(bridge_.transmitterReady()) + ",\"units\":" + unitsJson() +
           ",\"groups\":" + groupsJson() + ",\"macros\":" + macrosJson() + "," + timersJson() + "}";
}

std::string ProgramControls::unitsJson() const {
    std::vector<std::string> items;
    const mqtt::AssumedStates& states = bridge_.states();
    for (const app::DescribedUnit& d : app_.descriptions->described()) {
        const auto on = states.state(d.unit);
        std::string item = "{\"unit\":" + jsonString(app::unitName(d.unit)) +
                           ",\"description\":" + jsonString(printable(d.text)) + ",\"lamp\":" + boolText(!d.appliance) +
                           ",\"state\":" + stateText(on);
        if (on == true && !d.appliance) item += ",\"level\":" + std::to_string(states.percent(states.level(d.unit)));
        items.push_back(item + "}");
    }
    return joined(items);
}

std::string ProgramControls::groupsJson() const {
    std::vector<std::string> items;
    for (int i = 0; i < macros::kGroupCount; ++i)
        items.push_back("{\"number\":" + std::to_string(i + 1) +
                        ",\"label\":" + jsonString(printable(trimBlanks(app_.groupLabels.get(i)))) +
                        ",\"state\":" + stateText(bridge_.groupState(i)) + "}");
    const PanicRoutine& panic = app_.groups->panic();
    return joined(items) + ",\"panic\":{\"ready\":" + boolText(panic.settings.group >= 1) +
           ",\"caption\":" + jsonString(printable(withoutAccessKeys(panic.settings.caption))) + "}";
}

// The macros a press can run: those the bridge takes by name, in name order.
std::string ProgramControls::macrosJson() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(app_.folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (endsWithNoCase(name, ".cro") && entry.is_regular_file(ec) && mqtt::macroNameProblem(name).empty())
            names.insert(name.substr(0, name.size() - 4));
        if (names.size() >= 500) break;
    }
    std::vector<std::string> items;
    for (const std::string& n : names) items.push_back(jsonString(n));
    return joined(items);
}

std::string ProgramControls::timersJson() {
    TimerService* timers = app_.timers.get();
    const bool on = timers && timers->scheduler().masterSwitch();
    std::string out = "\"timers\":{\"on\":" + boolText(on) + ",\"list\":";
    if (!timers) return out + "[]},\"loop\":null";
    OutlookInputs in;
    in.now = app_.clock.now();
    in.twelveHour = !app_.clock.uses24Hour();
    in.sun = SunSettings::read(app_.settings);
    in.sun.daySavings = daylightState(app_.clock.timeZone()).daySavings ? "True" : "False";
    in.systemZone = SystemZoneHours(app_.clock.timeZone());
    const auto& status = timers->log().statusLines();
    std::vector<std::string> items;
    for (const TimerOutlook& o : timerOutlook(timers->table(), in)) {
        const TimerRecord& t = timers->table().timer(o.timer);
        const std::size_t at = static_cast<std::size_t>(o.timer);
        items.push_back("{\"number\":" + std::to_string(o.timer + 1) + ",\"entry\":" + jsonString(printable(t.entry)) +
                        ",\"start\":" + jsonString(printable(t.start)) +
                        ",\"days\":" + jsonString(daysRuleCaption(t.days)) +
                        ",\"next\":" + (o.nextRun ? jsonString(o.nextRun->isoText()) : "null") +
                        ",\"never\":" + jsonString(o.never) +
                        ",\"status\":" + jsonString(at < status.size() ? printable(status[at].text) : "") + "}");
    }
    const LoopTimer& loop = timers->loopTimer();
    return out + joined(items) + "},\"loop\":{\"entry\":" + jsonString(printable(loop.entryText())) +
           ",\"enabled\":" + boolText(loop.enabled()) +
           ",\"status\":" + jsonString(printable(timers->log().loopStatus().text)) + "}";
}

std::string ProgramControls::logJson() {
    if (!app_.timers) return "{\"log\":[]}";
    const auto lines = splitLines(app_.timers->log().text());
    std::vector<std::string> items;
    const std::size_t from = lines.size() > MaxLogLines ? lines.size() - MaxLogLines : 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        if (!lines[i].empty()) items.push_back(jsonString(printable(lines[i])));
    return "{\"log\":" + joined(items) + "}";
}

} // namespace zul::web
