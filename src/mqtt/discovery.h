#pragma once
// Discovery: the retained configs that make every described unit, the
// labelled groups, the panic button, the timers switch and the macros appear
// in a home-automation hub, all under one device of this install. Every
// entity asks for QoS 1 commands and is available while the bridge is online
// and the transmitter's port is open.
#include <string>
#include <vector>

#include "app/unit_descriptions.h"
#include "mqtt/mqtt_settings.h"
#include "mqtt/topics.h"

namespace zul::mqtt {

struct DeviceInfo {
    std::string host;    // this computer's name
    std::string version; // the program's version
};

// One discovery config: where it goes and what it says.
struct DiscoveryConfig {
    std::string component; // "light", "switch", "button"
    std::string objectId;  // "a3", "group1", "panic", "timers", "macro_evening_2c1f8a90"
    std::string name;      // the entity's name, as the user gave it
    std::string json;
    friend bool operator==(const DiscoveryConfig&, const DiscoveryConfig&) = default;
};

// A JSON string literal: quotes, backslashes and control characters escaped,
// bytes that are not UTF-8 replaced by U+FFFD.
std::string jsonString(const std::string& text);
// Lower case letters, digits and "_" only ("Living Room-2" -> "living_room_2").
std::string slug(const std::string& text);

class Discovery {
public:
    Discovery(const TopicScheme& topics, const Identity& identity, const std::string& version);

    // A lamp is a light whose brightness is the assumed one (0 to 100); an
    // appliance is a switch.
    DiscoveryConfig unit(const app::UnitAddress& u, const std::string& description, bool appliance) const;
    DiscoveryConfig group(int number, const std::string& label) const; // 1 to 8
    DiscoveryConfig panic(const std::string& caption) const;
    DiscoveryConfig timers() const;
    DiscoveryConfig macro(const std::string& fileName) const;

    static std::string unitObjectId(const app::UnitAddress& u); // "a3"
    static std::string groupObjectId(int number);               // "group1"
    // Made from the exact file name alone, so that it never moves when other
    // files come or go: "Good night.cro" -> "macro_good_night_" + shortHash(name).
    static std::string macroObjectId(const std::string& fileName);

private:
    using Fields = std::vector<std::pair<std::string, std::string>>; // key, JSON value
    DiscoveryConfig config(const std::string& component, const std::string& objectId, const std::string& name,
                           const Fields& fields) const;

    const TopicScheme& topics_;
    std::string uniquePrefix_;
    std::string sharedJson_; // availability, device and origin
};

} // namespace zul::mqtt
