#pragma once
// Settings section "Mqtt": the broker the bridge connects to and the topics it
// uses. "Password" is stored enciphered with the text cipher, as the record
// texts are.
#include <optional>
#include <string>
#include <vector>

namespace zul {
class SettingsBackend;
}

namespace zul::mqtt {

inline constexpr int DefaultPort = 1883;
inline constexpr int DefaultTlsPort = 8883;
inline constexpr const char* DefaultBaseTopic = "zulmarin";
inline constexpr const char* DefaultDiscoveryPrefix = "homeassistant";
inline constexpr const char* Section = "Mqtt";

struct BrokerAddress {
    std::string host;
    int port = DefaultPort;
    bool tls = false;
    friend bool operator==(const BrokerAddress&, const BrokerAddress&) = default;
};

// "mqtt://host:port" (port 1883 when left out), "mqtts://host:port" (8883),
// or just "host" / "host:port"; IPv6 addresses in brackets ("[::1]:1883").
// nullopt with error set for anything else.
std::optional<BrokerAddress> parseBroker(const std::string& url, std::string& error);
// The address written out again: "mqtt://host:1883".
std::string brokerUrl(const BrokerAddress& broker);

struct MqttSettings {
    bool enabled = false;
    std::string broker;
    std::string caFile;
    std::string username;
    std::string password;  // plain; enciphered only in the store
    std::string baseTopic = DefaultBaseTopic;
    std::string discoveryPrefix = DefaultDiscoveryPrefix;
    friend bool operator==(const MqttSettings&, const MqttSettings&) = default;
};

MqttSettings loadMqttSettings(const SettingsBackend& settings);
// False when a value could not be stored.
bool saveMqttSettings(SettingsBackend& settings, const MqttSettings& values);

// What is wrong with the values, one sentence each; empty when they can be
// used. The broker is only required while the bridge is enabled.
std::vector<std::string> checkMqttSettings(const MqttSettings& values);

// Why a base topic or discovery prefix cannot be used ("" when it can): it
// must be one or more topic levels without wildcards, e.g. "home/zulmarin".
std::string topicRootProblem(const std::string& root);

} // namespace zul::mqtt
