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

Discovery::Discovery(const TopicScheme& topics, const Identity& identity, const std::string& version)
    : topics_(topics), uniquePrefix_(identity.nodeId + "_") {
    sharedJson_ = ",\"qos\":1,\"availability\":[{\"topic\":" + jsonString(topics.status()) +
                  "},{\"topic\":" + jsonString(topics.transmitter()) +
                  "}],\"availability_mode\":\"all\",\"device\":{\"identifiers\":[" + jsonString(identity.deviceId) +
                  "],\"name\":\"Zulmarin\",\"model\":\"CM17A\",\"sw_version\":" + jsonString(version) +
                  "},\"origin\":{\"name\":\"Zulmarin\",\"sw_version\":" + jsonString(version) + "}";
}

DiscoveryConfig Discovery::config(const std::string& component, const std::string& objectId, const std::string& name,
                                  const Fields& fields) const {
    std::string json = "{\"name\":" + jsonString(name) + ",\"unique_id\":" + jsonString(uniquePrefix_ + objectId);
    for (const auto& [key, value] : fields) json += ",\"" + key + "\":" + value;
    return {component, objectId, name, json + sharedJson_ + "}"};
}

std::string Discovery::unitObjectId(const app::UnitAddress& u) { return asciiLower(app::unitName(u)); }
std::string Discovery::groupObjectId(int number) { return "group" + std::to_string(number); }

std::string Discovery::macroObjectId(const std::string& fileName) {
    std::string s = slug(macroName(fileName)).substr(0, 32);
    while (!s.empty() && s.back() == '_') s.pop_back();
    return "macro_" + (s.empty() ? std::string("unnamed") : s) + "_" + shortHash(fileName);
}

namespace {
// A switch's fields: ON and OFF commands and states.
std::vector<std::pair<std::string, std::string>> onOffFields(const std::string& command, const std::string& state) {
    return {{"command_topic", jsonString(command)},
            {"state_topic", jsonString(state)},
            {"payload_on", "\"ON\""},
            {"payload_off", "\"OFF\""}};
}
} // namespace

DiscoveryConfig Discovery::unit(const app::UnitAddress& u, const std::string& description, bool appliance) const {
    Fields fields = onOffFields(topics_.unitCommand(u), topics_.unitState(u));
    if (appliance) return config("switch", unitObjectId(u), description, fields);
    // Brightness alone turns a lamp on: an ON after it would undo the level.
    fields.insert(fields.end(), {{"brightness_command_topic", jsonString(topics_.unitBrightnessCommand(u))},
                                 {"brightness_state_topic", jsonString(topics_.unitBrightnessState(u))},
                                 {"brightness_scale", "100"},
                                 {"on_command_type", "\"brightness\""}});
    return config("light", unitObjectId(u), description, fields);
}

DiscoveryConfig Discovery::group(int number, const std::string& label) const {
    return config("switch", groupObjectId(number), label,
                  onOffFields(topics_.groupCommand(number), topics_.groupState(number)));
}

DiscoveryConfig Discovery::panic(const std::string& caption) const {
    return config("button", "panic", caption,
                  {{"command_topic", jsonString(topics_.panicCommand())}, {"payload_press", "\"PRESS\""}});
}

DiscoveryConfig Discovery::timers() const {
    Fields fields = onOffFields(topics_.timersCommand(), topics_.timersState());
    fields.emplace_back("entity_category", "\"config\"");
    return config("switch", "timers", "Timers", fields);
}

DiscoveryConfig Discovery::macro(const std::string& fileName) const {
    return config("button", macroObjectId(fileName), macroName(fileName),
                  {{"command_topic", jsonString(topics_.macroRun())}, {"payload_press", jsonString(fileName)}});
}

} // namespace zul::mqtt
