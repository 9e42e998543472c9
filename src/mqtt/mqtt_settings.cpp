#include "mqtt/mqtt_settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/settings_backend.h"
#include "platform/text.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"

namespace zul::mqtt {

namespace {
constexpr std::size_t MaxRootLength = 100;

std::optional<int> portNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
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
    const auto read = [&settings](const char* key, const std::string& def) {
        return ReadSetting(settings, Section, key, def);
    };
    const std::string enabled = read("Enabled", "0");
    v.enabled = enabled == "1" || equalsNoCase(enabled, "True");
    v.broker = read("Broker", "");
    v.caFile = read("CaFile", "");
    v.username = read("Username", "");
    const std::string password = read("Password", "");
    v.password = looksEnciphered(password) ? CipherText(true, password) : "";
    v.baseTopic = read("BaseTopic", DefaultBaseTopic);
    v.discoveryPrefix = read("DiscoveryPrefix", DefaultDiscoveryPrefix);
    return v;
}

bool saveMqttSettings(SettingsBackend& settings, const MqttSettings& v) {
    bool ok = true;
    const auto write = [&](const char* key, const std::string& value) { ok = settings.write(Section, key, value) && ok; };
    write("Enabled", v.enabled ? "1" : "0");
    write("Broker", trimBlanks(v.broker));
    write("CaFile", trimBlanks(v.caFile));
    write("Username", v.username);
    write("Password", CipherText(false, v.password));
    write("BaseTopic", v.baseTopic);
    write("DiscoveryPrefix", v.discoveryPrefix);
    return ok;
}

std::string topicRootProblem(const std::string& root) {
    if (root.empty()) return "must not be empty";
    if (root.size() > MaxRootLength) return "must be at most " + std::to_string(MaxRootLength) + " characters";
    if (root.find_first_of("+#") != std::string::npos) return "must not contain the wildcards + or #";
    if (std::any_of(root.begin(), root.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "must not contain control characters";
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
    else if (v.discoveryPrefix == v.baseTopic)
        problems.push_back("The base topic and the discovery prefix must differ.");
    return problems;
}

} // namespace zul::mqtt
