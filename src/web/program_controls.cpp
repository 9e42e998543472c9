#include "web/program_controls.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/app.h"
#include "app/groups_panel.h"
#include "mqtt/discovery.h"
#include "platform/text.h"
#include "sun/sunrise.h"
#include "timers/timer_outlook.h"
#include "timers/timer_service.h"

namespace zul::web {

namespace {
using mqtt::jsonString;

std::string stateText(std::optional<bool> on) { return on ? jsonString(*on ? "ON" : "OFF") : "null"; }
std::string boolText(bool on) { return on ? "true" : "false"; }

// A status line as the log window shows it: its tabs as gaps.
std::string statusText(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return jsonString(printable(text));
}

std::string joined(const std::vector<std::string>& items) {
    std::string out = "[";
    out += joinWith(items, ",");
    out += "]";
    return out;
}

// {"name":value,...}, built by appending.
class JsonFields {
public:
    JsonFields& add(const char* name, const std::string& json) {
        text_ += text_.empty() ? "{\"" : ",\"";
        text_ += name;
        text_ += "\":";
        text_ += json;
        return *this;
    }
    std::string done() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};
} // namespace

std::string ProgramControls::stateJson() {
    TimerService* timers = app_.timers.get();
    return JsonFields()
        .add("transmitter", boolText(bridge_.transmitterReady()))
        .add("units", unitsJson())
        .add("groups", groupsJson())
        .add("panic", panicJson())
        .add("macros", macrosJson())
        .add("timers", timersJson())
        .add("loop", timers ? loopJson(*timers) : "null")
        .done();
}

std::string ProgramControls::unitsJson() const {
    std::vector<std::string> items;
    const mqtt::AssumedStates& states = bridge_.states();
    for (const app::DescribedUnit& d : app_.descriptions->described()) {
        const auto on = states.state(d.unit);
        JsonFields unit;
        unit.add("unit", jsonString(app::unitName(d.unit)))
            .add("description", jsonString(printable(d.text)))
            .add("lamp", boolText(!d.appliance))
            .add("state", stateText(on));
        if (on == true && !d.appliance) unit.add("level", std::to_string(states.percent(states.level(d.unit))));
        items.push_back(unit.done());
    }
    return joined(items);
}

std::string ProgramControls::groupsJson() const {
    std::vector<std::string> items;
    for (int i = 0; i < macros::kGroupCount; ++i)
        items.push_back(JsonFields()
                            .add("number", std::to_string(i + 1))
                            .add("label", jsonString(printable(trimBlanks(app_.groupLabels.get(i)))))
                            .add("state", stateText(bridge_.groupState(i)))
                            .done());
    return joined(items);
}

std::string ProgramControls::panicJson() const {
    const PanicRoutine& panic = app_.groups->panic();
    return JsonFields()
        .add("ready", boolText(panic.settings.group >= 1))
        .add("caption", jsonString(printable(withoutAccessKeys(panic.settings.caption))))
        .done();
}

// The macros a press can run: those the bridge takes by name, in name order.
std::string ProgramControls::macrosJson() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(app_.folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (endsWithNoCase(name, ".cro") && entry.is_regular_file(ec) && mqtt::macroNameProblem(name).empty())
            names.insert(name.substr(0, name.size() - 4));
        if (names.size() >= MaxMacros) break;
    }
    std::vector<std::string> items;
    for (const std::string& n : names) items.push_back(jsonString(n));
    return joined(items);
}

std::string ProgramControls::timersJson() {
    TimerService* timers = app_.timers.get();
    JsonFields out;
    out.add("on", boolText(timers && timers->scheduler().masterSwitch()));
    if (!timers) return out.add("list", "[]").done();
    OutlookInputs in;
    in.now = app_.clock.now();
    in.twelveHour = !app_.clock.uses24Hour();
    in.sun = SunSettings::read(app_.settings);
    in.sun.daySavings = daylightState(app_.clock.timeZone()).daySavings ? "True" : "False";
    in.systemZone = systemZoneHours(app_.clock.timeZone());
    const auto& status = timers->log().statusLines();
    std::vector<std::string> items;
    for (const TimerOutlook& o : timerOutlook(timers->table(), in)) {
        const TimerRecord& t = timers->table().timer(o.timer);
        const std::size_t at = static_cast<std::size_t>(o.timer);
        items.push_back(JsonFields()
                            .add("number", std::to_string(o.timer + 1))
                            .add("entry", jsonString(printable(t.entry)))
                            .add("start", jsonString(printable(t.start)))
                            .add("days", jsonString(daysRuleCaption(t.days)))
                            .add("next", o.nextRun ? jsonString(o.nextRun->isoText()) : "null")
                            .add("never", jsonString(o.never))
                            .add("status", statusText(at < status.size() ? status[at].text : ""))
                            .done());
    }
    return out.add("list", joined(items)).done();
}

std::string ProgramControls::loopJson(TimerService& timers) const {
    const LoopTimer& loop = timers.loopTimer();
    return JsonFields()
        .add("entry", jsonString(printable(loop.entryText())))
        .add("enabled", boolText(loop.enabled()))
        .add("status", statusText(timers.log().loopStatus().text))
        .done();
}

std::string ProgramControls::logJson() {
    if (!app_.timers) return R"({"log":[]})";
    const auto lines = splitLines(app_.timers->log().text());
    std::vector<std::string> items;
    const std::size_t from = lines.size() > MaxLogLines ? lines.size() - MaxLogLines : 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        if (!lines[i].empty()) items.push_back(jsonString(printable(lines[i])));
    return JsonFields().add("log", joined(items)).done();
}

} // namespace zul::web
