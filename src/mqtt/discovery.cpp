#include "mqtt/discovery.h"

#include <cstdio>

#include "platform/text.h"

namespace zul::mqtt {

namespace {
// The length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return n;
}
// "Evening.cro" -> "Evening".
std::string macroName(std::string fileName) {
    if (endsWithNoCase(fileName, ".cro")) fileName.resize(fileName.size() - 4);
    return fileName;
}
} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

std::string slug(const std::string& text) {
    std::string out;
    for (const char ch : asciiLower(text)) {
        const bool keep = (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
        if (keep) out += ch;
        else if (!out.empty() && out.back() != '_') out += '_';
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    return out;
}

Discovery::Discovery(const TopicScheme& topics, DeviceInfo device) : topics_(topics) {
    deviceJson_ = "{\"identifiers\":[" + jsonString(std::string(NodeId) + "_" + slug(device.host)) +
                  "],\"name\":\"Zulmarin\",\"model\":\"CM17A\",\"sw_version\":" + jsonString(device.version) + "}";
}

std::string Discovery::config(const std::string& name, const std::string& objectId,
                              const std::vector<std::pair<std::string, std::string>>& fields) const {
    std::string json = "{\"name\":" + jsonString(name) + ",\"unique_id\":" + jsonString(std::string(NodeId) + "_" + objectId);
    for (const auto& [key, value] : fields) json += ",\"" + key + "\":" + jsonString(value);
    return json + ",\"availability_topic\":" + jsonString(topics_.status()) + ",\"device\":" + deviceJson_ + "}";
}

std::string Discovery::unitObjectId(const app::UnitAddress& u) { return asciiLower(app::unitName(u)); }
std::string Discovery::groupObjectId(int number) { return "group" + std::to_string(number); }

std::string Discovery::macroObjectId(const std::string& fileName) {
    const std::string s = slug(macroName(fileName));
    return "macro_" + (s.empty() ? std::string("unnamed") : s);
}

DiscoveryConfig Discovery::unit(const app::UnitAddress& u, const std::string& description) const {
    const std::string id = unitObjectId(u);
    return {"light", id,
            config(description, id,
                   {{"command_topic", topics_.unitCommand(u)}, {"state_topic", topics_.unitState(u)},
                    {"payload_on", "ON"}, {"payload_off", "OFF"}})};
}

DiscoveryConfig Discovery::group(int number, const std::string& label) const {
    const std::string id = groupObjectId(number);
    return {"switch", id,
            config(label, id,
                   {{"command_topic", topics_.groupCommand(number)}, {"state_topic", topics_.groupState(number)},
                    {"payload_on", "ON"}, {"payload_off", "OFF"}})};
}

DiscoveryConfig Discovery::panic(const std::string& caption) const {
    return {"button", "panic", config(caption, "panic", {{"command_topic", topics_.panicCommand()}, {"payload_press", "PRESS"}})};
}

DiscoveryConfig Discovery::timers() const {
    return {"switch", "timers",
            config("Timers", "timers",
                   {{"command_topic", topics_.timersCommand()}, {"state_topic", topics_.timersState()},
                    {"payload_on", "ON"}, {"payload_off", "OFF"}})};
}

DiscoveryConfig Discovery::macro(const std::string& objectId, const std::string& fileName) const {
    return {"button", objectId, config(macroName(fileName), objectId, {{"command_topic", topics_.macroRun()}, {"payload_press", fileName}})};
}

} // namespace zul::mqtt
