#include "mqtt/mqtt_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>

#include "mqtt/discovery.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"

namespace zul::mqtt {

namespace {
constexpr std::size_t MaxRootLength = 100;
constexpr std::size_t MaxInstallIdLength = 40;
constexpr std::size_t MaxClientId = 23; // what every MQTT 3.1.1 broker must accept

// A whole number setting: the default when missing or not a whole number.
int wholeSetting(const std::string& text, int fallback) {
    const auto n = wholeNumberIn(text);
    return n && *n >= -1000000 && *n <= 1000000 ? static_cast<int>(*n) : fallback;
}

bool isUnder(const std::string& topic, const std::string& root) {
    return topic == root || topic.rfind(root + "/", 0) == 0;
}

std::optional<int> portNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(text);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

bool hostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

// Splits "host:port" / "[v6]:port" / "host"; false when the shape is wrong.
bool splitHostPort(const std::string& rest, std::string& host, std::string& port) {
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos) return false;
        host = rest.substr(1, close - 1);
        const std::string after = rest.substr(close + 1);
        if (!after.empty() && after.front() != ':') return false;
        port = after.empty() ? "" : after.substr(1);
        return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        });
    }
    const auto colon = rest.find(':');
    host = rest.substr(0, colon);
    port = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (colon != std::string::npos && port.empty()) return false;
    return !host.empty() && std::all_of(host.begin(), host.end(), hostCharacter);
}
} // namespace

std::optional<BrokerAddress> parseBroker(const std::string& url, std::string& error) {
    const std::string text = trimBlanks(url);
    BrokerAddress out;
    std::string rest = text;
    if (const auto scheme = text.find("://"); scheme != std::string::npos) {
        const std::string name = asciiLower(text.substr(0, scheme));
        if (name != "mqtt" && name != "mqtts") {
            error = "the broker address must begin with mqtt:// or mqtts://, not " + text.substr(0, scheme) + "://";
            return std::nullopt;
        }
        out.tls = name == "mqtts";
        out.port = out.tls ? DefaultTlsPort : DefaultPort;
        rest = text.substr(scheme + 3);
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    if (rest.find('@') != std::string::npos) {
        error = "put the user name and password in their own fields, not in the broker address";
        return std::nullopt;
    }
    std::string host, port;
    if (text.empty() || !splitHostPort(rest, host, port)) {
        error = "'" + text + "' is not a broker address such as mqtt://192.168.1.10:1883";
        return std::nullopt;
    }
    if (!port.empty()) {
        const auto number = portNumber(port);
        if (!number) {
            error = "the broker's port must be a number from 1 to 65535, not '" + port + "'";
            return std::nullopt;
        }
        out.port = *number;
    }
    out.host = host;
    return out;
}

std::string brokerUrl(const BrokerAddress& broker) {
    const bool v6 = broker.host.find(':') != std::string::npos;
    return std::string(broker.tls ? "mqtts://" : "mqtt://") + (v6 ? "[" + broker.host + "]" : broker.host) + ":" +
           std::to_string(broker.port);
}

MqttSettings loadMqttSettings(const SettingsBackend& settings) {
    MqttSettings v;
    const auto read = [&settings](const SettingKey& key) { return readSetting(settings, key); };
    const std::string enabled = read(Setting::MqttEnabled);
    v.enabled = enabled == "1" || equalsNoCase(enabled, "True");
    v.broker = read(Setting::MqttBroker);
    v.caFile = read(Setting::MqttCaFile);
    v.username = read(Setting::MqttUsername);
    const std::string password = read(Setting::MqttPassword);
    v.password = looksEnciphered(password) ? cipherText(true, password) : "";
    v.baseTopic = read(Setting::MqttBaseTopic);
    v.discoveryPrefix = read(Setting::MqttDiscoveryPrefix);
    v.installId = trimBlanks(read(Setting::MqttInstallId));
    v.keepCommandsSeconds = wholeSetting(read(Setting::MqttKeepCommandsSeconds), DefaultKeepCommandsSeconds);
    v.dimSteps = wholeSetting(read(Setting::MqttDimSteps), DefaultDimSteps);
    return v;
}

bool saveMqttSettings(SettingsBackend& settings, const MqttSettings& v) {
    bool ok = true;
    const auto write = [&](const SettingKey& key, const std::string& value) { ok = settings.write(key, value) && ok; };
    write(Setting::MqttEnabled, v.enabled ? "1" : "0");
    write(Setting::MqttBroker, trimBlanks(v.broker));
    write(Setting::MqttCaFile, trimBlanks(v.caFile));
    write(Setting::MqttUsername, v.username);
    write(Setting::MqttPassword, cipherText(false, v.password));
    write(Setting::MqttBaseTopic, v.baseTopic);
    write(Setting::MqttDiscoveryPrefix, v.discoveryPrefix);
    if (!v.installId.empty()) write(Setting::MqttInstallId, v.installId);
    write(Setting::MqttKeepCommandsSeconds, std::to_string(v.keepCommandsSeconds));
    write(Setting::MqttDimSteps, std::to_string(v.dimSteps));
    return ok;
}

std::string installId(SettingsBackend& settings, std::string& problem) {
    problem.clear();
    const std::string stored = trimBlanks(readSetting(settings, Setting::MqttInstallId));
    if (!stored.empty()) return stored;
    std::string id = LegacyInstallId;
    if (trimBlanks(readSetting(settings, Setting::MqttBroker)).empty()) {
        std::random_device random;
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(random()));
        id += "_";
        id += hex;
    }
    if (!settings.write(Setting::MqttInstallId, id))
        problem =
            "the install id " + id + " cannot be stored in the settings; the hub sees a new device at every start";
    return id;
}

std::string shortHash(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (const unsigned char c : text) h = (h ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(h));
    return hex;
}

Identity identityOf(const std::string& installId, const std::string& host, const std::string& baseTopic) {
    Identity i{installId, installId, installId};
    if (installId == LegacyInstallId) i.deviceId = installId + "_" + slug(host);
    if (installId == LegacyInstallId || installId.size() > MaxClientId) {
        i.clientId = "zulmarin_";
        i.clientId += shortHash(installId + "\n" + host + "\n" + baseTopic);
    }
    return i;
}

std::string topicRootProblem(const std::string& root) {
    if (root.empty()) return "must not be empty";
    if (root.size() > MaxRootLength) return "must be at most " + std::to_string(MaxRootLength) + " characters";
    if (root.find_first_of("+#") != std::string::npos) return "must not contain the wildcards + or #";
    if (root.front() == '$') return "must not begin with $ (such topics are reserved for the broker)";
    if (!validUtf8(root)) return "must be UTF-8 text";
    // Controls (C0, DEL, C1) and bidirectional marks: a broker refuses some,
    // and every log would show them escaped.
    if (printable(root) != root) return "must not contain control characters";
    if (root.front() == '/' || root.back() == '/' || root.find("//") != std::string::npos)
        return "must not begin or end with / or have an empty level";
    return "";
}

std::vector<std::string> checkMqttSettings(const MqttSettings& v) {
    std::vector<std::string> problems;
    std::string error;
    const bool haveBroker = !trimBlanks(v.broker).empty();
    if (v.enabled && !haveBroker)
        problems.push_back("Enter the broker's address, for example mqtt://192.168.1.10:1883.");
    if (haveBroker && !parseBroker(v.broker, error)) problems.push_back("Broker: " + error + ".");
    std::error_code ec;
    const std::string ca = trimBlanks(v.caFile);
    if (!ca.empty() && !std::filesystem::is_regular_file(ca, ec))
        problems.push_back("CA file: " + ca + " does not exist.");
    if (v.password.find('"') != std::string::npos)
        problems.push_back("Password: a double quote cannot be stored; choose a password without one.");
    if (const auto p = topicRootProblem(v.baseTopic); !p.empty()) problems.push_back("Base topic " + p + ".");
    if (const auto p = topicRootProblem(v.discoveryPrefix); !p.empty())
        problems.push_back("Discovery prefix " + p + ".");
    else if (isUnder(v.discoveryPrefix, v.baseTopic) || isUnder(v.baseTopic, v.discoveryPrefix))
        problems.push_back("The base topic and the discovery prefix must not lie one inside the other.");
    const std::string& id = v.installId;
    if (id.size() > MaxInstallIdLength || !std::all_of(id.begin(), id.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        }))
        problems.push_back("Install id: use at most " + std::to_string(MaxInstallIdLength) +
                           " letters, digits, _ or -.");
    if (v.keepCommandsSeconds < 0 || v.keepCommandsSeconds > MaxKeepCommandsSeconds)
        problems.push_back("Commands are kept on the broker for 0 to " + std::to_string(MaxKeepCommandsSeconds) +
                           " seconds.");
    if (v.dimSteps < MinDimSteps || v.dimSteps > MaxDimSteps)
        problems.push_back("Dim steps must be a whole number from " + std::to_string(MinDimSteps) + " to " +
                           std::to_string(MaxDimSteps) + ".");
    return problems;
}

} // namespace zul::mqtt
