#pragma once
// Discovery: the retained configs that make every described unit, the
// labelled groups, the panic button, the timers switch and the macros appear
// in a home-automation hub, all under one device.
#include <string>
#include <vector>

#include "app/unit_descriptions.h"
#include "mqtt/topics.h"

namespace zul::mqtt {

struct DeviceInfo {
    std::string host;     // this computer's name
    std::string version;  // the program's version
};

// One discovery config: where it goes and what it says.
struct DiscoveryConfig {
    std::string component;  // "light", "switch", "button"
    std::string objectId;   // "a3", "group1", "panic", "timers", "macro_evening"
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
    Discovery(const TopicScheme& topics, DeviceInfo device);

    DiscoveryConfig unit(const app::UnitAddress& u, const std::string& description) const;
    DiscoveryConfig group(int number, const std::string& label) const;  // 1 to 8
    DiscoveryConfig panic(const std::string& caption) const;
    DiscoveryConfig timers() const;
    // objectId comes from macroObjectId, kept unique by the caller.
    DiscoveryConfig macro(const std::string& objectId, const std::string& fileName) const;

    static std::string unitObjectId(const app::UnitAddress& u);  // "a3"
    static std::string groupObjectId(int number);                // "group1"
    static std::string macroObjectId(const std::string& fileName);  // "Good night.cro" -> "macro_good_night"

private:
    // The fields every config shares, then the given ones.
    std::string config(const std::string& name, const std::string& objectId,
                       const std::vector<std::pair<std::string, std::string>>& fields) const;

    const TopicScheme& topics_;
    std::string deviceJson_;
};

} // namespace zul::mqtt
