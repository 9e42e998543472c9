// What the bridge publishes: the discovery configs (and what the user
// deleted of them), the states, the transmitter's availability.
#include <filesystem>

#include "app/app.h"
#include "app/groups_panel.h"
#include "mqtt/bridge.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "timers/timer_service.h"

namespace zul::mqtt {

namespace {
const char* onOff(bool on) { return on ? "ON" : "OFF"; }
} // namespace

void MqttBridge::publish(const std::string& topic, const std::string& payload, bool retain, int qos) {
    if (client_ && connected_) client_->publish(topic, payload, qos, retain);
}

void MqttBridge::publishConfig(const DiscoveryConfig& config) {
    const std::string key = config.component + "/" + config.objectId;
    const std::string nameHash = shortHash(config.name);
    if (const auto it = hidden_.find(key); it != hidden_.end()) {
        if (it->second == nameHash) return; // deleted by the user, and the same since
        hidden_.erase(it);
        saveHidden();
    }
    const std::string topic = topics_->discovery(config.component, config.objectId);
    published_[topic] = {key, nameHash};
    publish(topic, config.json, true);
}

void MqttBridge::removeConfig(const std::string& component, const std::string& objectId) {
    const std::string topic = topics_->discovery(component, objectId);
    if (!published_.erase(topic)) return;
    ownRemovals_.insert(topic);
    publish(topic, "", true);
}

// A config of ours was cleared: by us (its echo), or by the user in the hub.
void MqttBridge::configDeleted(const std::string& topic) {
    if (const auto own = ownRemovals_.find(topic); own != ownRemovals_.end()) {
        ownRemovals_.erase(own);
        return;
    }
    const auto it = published_.find(topic);
    if (it == published_.end()) return;
    const auto [key, nameHash] = it->second;
    published_.erase(it);
    hidden_[key] = nameHash;
    saveHidden();
    tell("MQTT: " + key + " was deleted in the hub; it is announced again when its name changes");
}

void MqttBridge::publishUnit(const app::UnitAddress& u, const std::string& description) {
    const std::string id = Discovery::unitObjectId(u);
    const bool appliance = app_.descriptions->appliance(u);
    removeConfig(appliance ? "light" : "switch", id);
    if (trimBlanks(description).empty()) removeConfig(appliance ? "switch" : "light", id);
    else publishConfig(discovery_->unit(u, description, appliance));
}

void MqttBridge::publishDiscovery() {
    published_.clear();
    macros_.clear();
    for (const auto& d : app_.descriptions->described()) publishConfig(discovery_->unit(d.unit, d.text, d.appliance));
    for (int i = 0; i < macros::kGroupCount; ++i) {
        const std::string& label = app_.groupLabels.get(i);
        if (!trimBlanks(label).empty()) publishConfig(discovery_->group(i + 1, label));
    }
    const PanicRoutine& panic = app_.groups->panic();
    if (panic.settings.group >= 1) publishConfig(discovery_->panic(withoutAccessKeys(panic.settings.caption)));
    publishConfig(discovery_->timers());
    publishMacros();
}

// The macro files of the program folder as they are now: new ones are
// announced, gone ones removed.
void MqttBridge::publishMacros() {
    std::map<std::string, std::string> now;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(app_.folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!endsWithNoCase(name, ".cro") || !entry.is_regular_file(ec)) continue;
        if (const std::string why = macroNameProblem(name); !why.empty()) {
            if (leftOutMacros_.insert(name).second)
                problem("MQTT: the macro " + name + " is left out of the hub: " + why + "; rename it to use it there");
            continue;
        }
        now.emplace(name, Discovery::macroObjectId(name));
    }
    for (const auto& [name, id] : macros_)
        if (!now.count(name)) removeConfig("button", id);
    for (const auto& [name, id] : now)
        if (!macros_.count(name)) publishConfig(discovery_->macro(name));
    macros_ = std::move(now);
}

void MqttBridge::publishStates() {
    for (const auto& s : states_.known()) publishUnitState(s);
    for (std::size_t i = 0; i < groupStates_.size(); ++i) publishGroupState(i);
    publishTimersState();
}

void MqttBridge::publishGroupState(std::size_t index) {
    if (const auto on = groupStates_.at(index); on && topics_)
        publish(topics_->groupState(static_cast<int>(index) + 1), onOff(*on), true);
}

void MqttBridge::publishUnitState(const AssumedStates::Change& change) {
    if (!topics_) return;
    const app::UnitAddress u = change.unit;
    publish(topics_->unitState(u), onOff(change.on), true);
    const bool lamp = !app_.descriptions->appliance(u) && !trimBlanks(app_.descriptions->read(u)).empty();
    if (change.on && lamp)
        publish(topics_->unitBrightnessState(u), std::to_string(states_.percent(change.level)), true);
}

void MqttBridge::publishTransmitter() {
    const bool ready = transmitterReady();
    if (!connected_ || transmitterShown_ == ready) return;
    transmitterShown_ = ready;
    publish(topics_->transmitter(), ready ? "online" : "offline", true);
}

void MqttBridge::publishTimersState() {
    if (topics_) publish(topics_->timersState(), onOff(app_.timers && app_.timers->scheduler().masterSwitch()), true);
}

// "light/a3:1f2e3d4c switch/group2:..."
void MqttBridge::loadHidden() {
    hidden_.clear();
    for (const std::string& entry : splitAt(readSetting(app_.settings, Setting::MqttHidden), " ")) {
        const auto colon = entry.find(':');
        if (colon != std::string::npos) hidden_[entry.substr(0, colon)] = entry.substr(colon + 1);
    }
}

void MqttBridge::saveHidden() {
    std::string text;
    for (const auto& [key, nameHash] : hidden_) text += (text.empty() ? "" : " ") + key + ":" + nameHash;
    writeSetting(app_.settings, Setting::MqttHidden, text);
}

} // namespace zul::mqtt
