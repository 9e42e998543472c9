#include "mqtt/topics.h"

#include <algorithm>

#include "macros/group_file.h"
#include "platform/text.h"

namespace zul::mqtt {

namespace {

constexpr std::size_t MaxMacroName = 200;

bool startsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

bool isBinary(const std::string& payload) {
    return std::any_of(payload.begin(), payload.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
    });
}

// The payload as a log line shows it: at most 40 characters.
std::string shown(const std::string& payload) {
    return "'" + (payload.size() > 40 ? payload.substr(0, 40) + "..." : payload) + "'";
}

std::string trimmedWord(const std::string& payload) {
    const auto first = payload.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return asciiUpper(payload.substr(first, payload.find_last_not_of(" \t\r\n") - first + 1));
}

Refusal refuse(std::string kind, std::string message) { return {std::move(kind), std::move(message)}; }

std::variant<Request, Refusal> wordRequest(Request r, const std::string& topic, const std::string& payload,
                                           std::initializer_list<const char*> words, const std::string& kind) {
    r.word = trimmedWord(payload);
    for (const char* w : words)
        if (r.word == w) return r;
    std::string list;
    for (const char* w : words) list += (list.empty() ? "" : ", ") + std::string(w);
    return refuse(kind, "refused " + shown(payload) + " on " + topic + ": the payload must be one of " + list);
}

std::variant<Request, Refusal> macroRequest(const std::string& topic, const std::string& payload) {
    std::string name = trimBlanks(payload);
    if (!name.empty() && !endsWithNoCase(name, ".cro")) name += ".cro";
    if (const std::string why = macroNameProblem(name); !why.empty())
        return refuse("macro name", "refused the macro name " + shown(payload) + " on " + topic + ": " + why);
    Request r;
    r.target = Target::Macro;
    r.macroFile = name;
    return r;
}

std::variant<Request, Refusal> discoveryRequest(const TopicScheme& topics, const std::vector<std::string>& levels,
                                                const std::string& topic, const std::string& payload) {
    if (levels.size() != 4 || levels[1] != topics.nodeId() || levels[3] != "config")
        return refuse("unknown topic", "ignored a message on the unknown topic " + topic);
    Request r;
    r.target = Target::Discovery;
    r.component = levels[0];
    r.objectId = levels[2];
    r.emptyPayload = payload.empty();
    return r;
}

// A brightness in percent, 0 (off) to 100.
std::variant<Request, Refusal> levelRequest(Request r, const std::string& topic, const std::string& payload) {
    const auto n = wholeNumberIn(payload);
    if (!n || *n < 0 || *n > 100)
        return refuse("brightness payload", "refused " + shown(payload) + " on " + topic +
                                                ": the brightness must be a whole number from 0 to 100");
    r.word = *n == 0 ? "OFF" : "LEVEL";
    r.percent = static_cast<int>(*n);
    return r;
}

std::variant<Request, Refusal> commandRequest(const std::vector<std::string>& levels, const std::string& topic,
                                              const std::string& payload) {
    Request r;
    const std::size_t n = levels.size();
    const bool brightness = n == 4 && levels[2] == "brightness" && levels[3] == "set";
    if (levels[0] == "unit" && ((n == 3 && levels[2] == "set") || brightness)) {
        const auto unit = app::parseUnitAddress(levels[1]);
        if (!unit)
            return refuse("unit out of range", "no unit '" + levels[1] + "' (houses A to P, units 1 to 16): " + topic);
        r.unit = *unit;
        if (brightness) return levelRequest(r, topic, payload);
        return wordRequest(r, topic, payload, {"ON", "OFF", "BRI", "DIM"}, "unit payload");
    }
    if (n == 3 && levels[0] == "group" && levels[2] == "set") {
        const std::string& g = levels[1];
        if (g.size() != 1 || g[0] < '1' || g[0] > '0' + macros::kGroupCount)
            return refuse("group out of range", "no group '" + g + "' (groups 1 to 8): " + topic);
        r.target = Target::Group;
        r.group = g[0] - '0';
        return wordRequest(r, topic, payload, {"ON", "OFF"}, "group payload");
    }
    if (n == 2 && levels[0] == "panic" && levels[1] == "set") {
        r.target = Target::Panic;
        return wordRequest(r, topic, payload, {"PRESS"}, "panic payload");
    }
    if (n == 2 && levels[0] == "timers" && levels[1] == "set") {
        r.target = Target::Timers;
        return wordRequest(r, topic, payload, {"ON", "OFF"}, "timers payload");
    }
    if (n == 2 && levels[0] == "macro" && levels[1] == "run") return macroRequest(topic, payload);
    return refuse("unknown topic", "ignored a message on the unknown topic " + topic);
}

} // namespace

std::string macroNameProblem(const std::string& name) {
    if (trimBlanks(name).empty()) return "no name given";
    if (!validUtf8(name)) return "the name is not UTF-8 text";
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..")
        return "a macro is named without a folder";
    if (isBinary(name) || printable(name) != name) return "the name holds control characters";
    if (trimBlanks(name) != name) return "the name begins or ends with a blank";
    if (name.size() > MaxMacroName) return "the name is too long";
    return "";
}

TopicScheme::TopicScheme(std::string base, std::string discoveryPrefix, std::string nodeId)
    : base_(std::move(base)), prefix_(std::move(discoveryPrefix)), node_(std::move(nodeId)) {}

std::string TopicScheme::status() const { return base_ + "/status"; }
std::string TopicScheme::transmitter() const { return base_ + "/transmitter"; }
std::string TopicScheme::unitCommand(const app::UnitAddress& u) const {
    return base_ + "/unit/" + app::unitName(u) + "/set";
}
std::string TopicScheme::unitState(const app::UnitAddress& u) const {
    return base_ + "/unit/" + app::unitName(u) + "/state";
}
std::string TopicScheme::unitBrightnessCommand(const app::UnitAddress& u) const {
    return base_ + "/unit/" + app::unitName(u) + "/brightness/set";
}
std::string TopicScheme::unitBrightnessState(const app::UnitAddress& u) const {
    return base_ + "/unit/" + app::unitName(u) + "/brightness/state";
}
std::string TopicScheme::groupCommand(int number) const { return base_ + "/group/" + std::to_string(number) + "/set"; }
std::string TopicScheme::groupState(int number) const { return base_ + "/group/" + std::to_string(number) + "/state"; }
std::string TopicScheme::panicCommand() const { return base_ + "/panic/set"; }
std::string TopicScheme::macroRun() const { return base_ + "/macro/run"; }
std::string TopicScheme::timersCommand() const { return base_ + "/timers/set"; }
std::string TopicScheme::timersState() const { return base_ + "/timers/state"; }
std::string TopicScheme::log() const { return base_ + "/log"; }

std::string TopicScheme::discovery(const std::string& component, const std::string& objectId) const {
    return prefix_ + "/" + component + "/" + node_ + "/" + objectId + "/config";
}

std::vector<std::string> TopicScheme::subscriptions() const {
    return {base_ + "/+/set", base_ + "/+/+/set", base_ + "/unit/+/brightness/set", macroRun(),
            prefix_ + "/+/" + node_ + "/+/config"};
}

std::variant<Request, Refusal> parseMessage(const TopicScheme& topics, const std::string& topic,
                                            const std::string& payload, std::size_t payloadBytes, bool retained) {
    const std::string discoveryRoot = topics.discoveryPrefix() + "/";
    const std::string base = topics.base() + "/";
    if (startsWith(topic, discoveryRoot) && !startsWith(topic, base))
        return discoveryRequest(topics, splitAt(topic.substr(discoveryRoot.size()), "/"), topic, payload);
    if (!startsWith(topic, base)) return refuse("unknown topic", "ignored a message on the unknown topic " + topic);
    if (retained)
        return refuse("retained command", "ignored the retained command on " + topic +
                                              " (the broker kept it from earlier; commands must not be retained)");
    if (payloadBytes > MaxPayloadBytes)
        return refuse("payload size", "refused a payload of " + std::to_string(payloadBytes) + " bytes on " + topic);
    if (isBinary(payload)) return refuse("binary payload", "refused a binary payload on " + topic);
    return commandRequest(splitAt(topic.substr(base.size()), "/"), topic, payload);
}

} // namespace zul::mqtt
