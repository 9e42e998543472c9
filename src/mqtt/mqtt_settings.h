#pragma once
// Settings section "Mqtt": the broker the bridge connects to and the topics it
// uses. "Password" is stored enciphered with the text cipher, as the record
// texts are.
#include <optional>
#include <string>
#include <vector>

#include "settings/setting_keys.h"

namespace zul::mqtt {

inline constexpr int DefaultPort = 1883;
inline constexpr int DefaultTlsPort = 8883;
// The defaults of the settings table (its texts end in a null character).
inline constexpr const char* DefaultBaseTopic = Setting::MqttBaseTopic.defaultValue().data();
inline constexpr const char* DefaultDiscoveryPrefix = Setting::MqttDiscoveryPrefix.defaultValue().data();
// How long the broker keeps commands for an absent bridge (its session), in
// seconds: longer than the longest wait between two connection attempts, so
// that a command sent while the broker restarts still arrives, and short
// enough that nothing sent while the program was stopped or crashed for long
// runs when it comes back.
inline constexpr int DefaultKeepCommandsSeconds = 120;
inline constexpr int MaxKeepCommandsSeconds = 3600;
// How many DIM frames take a lamp module from full brightness to dark.
inline constexpr int DefaultDimSteps = 20;
inline constexpr int MinDimSteps = 2;
inline constexpr int MaxDimSteps = 64;
// The node id of an install that was connected before installs had their own
// ids; it keeps the entity ids it had.
inline constexpr const char* LegacyInstallId = "zulmarin";

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
    std::string password; // plain; enciphered only in the store
    std::string baseTopic = DefaultBaseTopic;
    std::string discoveryPrefix = DefaultDiscoveryPrefix;
    std::string installId; // "" until one is made (installId())
    int keepCommandsSeconds = DefaultKeepCommandsSeconds;
    int dimSteps = DefaultDimSteps;
    friend bool operator==(const MqttSettings&, const MqttSettings&) = default;
};

MqttSettings loadMqttSettings(const SettingsBackend& settings);
// False when a value could not be stored.
bool saveMqttSettings(SettingsBackend& settings, const MqttSettings& values);

// What is wrong with the values, one sentence each; empty when they can be
// used. The broker is only required while the bridge is enabled.
std::vector<std::string> checkMqttSettings(const MqttSettings& values);

// Why a base topic or discovery prefix cannot be used ("" when it can): it
// must be one or more topic levels of UTF-8 text without wildcards or
// control characters, not beginning with the reserved "$", e.g. "home/zulmarin".
std::string topicRootProblem(const std::string& root);

// This install's id ("Mqtt"/"InstallId"), made and stored when there is none:
// an install that already had a broker set keeps the node id it always had
// (LegacyInstallId), any other gets "zulmarin_" and eight random hex digits.
// problem says why a new id could not be stored ("" when it was).
std::string installId(SettingsBackend& settings, std::string& problem);

// Who this install is on a shared broker.
struct Identity {
    std::string nodeId;   // discovery node id, and the prefix of every unique_id
    std::string deviceId; // the device's identifier in the hub
    std::string clientId; // the MQTT client id, within MQTT 3.1.1's 23 characters
};
// A new install's id is all three. An install that kept LegacyInstallId keeps
// its old device identifier ("zulmarin_" + the host name), and its client id
// is made from the host and the base topic, so that two of them differ.
Identity identityOf(const std::string& installId, const std::string& host, const std::string& baseTopic);

// A short stable hash as eight hex digits (FNV-1a, 32 bits).
std::string shortHash(const std::string& text);

} // namespace zul::mqtt
