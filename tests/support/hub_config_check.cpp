#include "support/hub_config_check.h"

#include <functional>
#include <map>
#include <set>
#include <string_view>

namespace zul::test {

namespace {

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool integer = false;
    double number = 0;
    std::string text; // a string's value
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;
    std::size_t begin = 0, end = 0; // where it stands in the text
};

// Just enough JSON: objects, arrays, strings with escapes, numbers, literals.
class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}
    bool parse(Json& out) { return value(out) && (space(), i_ == s_.size() || fail("text after the end")); }
    std::string error;

private:
    bool fail(const std::string& why) { return error = why + " at " + std::to_string(i_), false; }
    bool at(char c) const { return i_ < s_.size() && s_[i_] == c; }
    void space() {
        while (i_ < s_.size() && std::string_view(" \n\r\t").find(s_[i_]) != std::string_view::npos) ++i_;
    }
    bool literal(const char* word) {
        const std::string w = word;
        if (s_.compare(i_, w.size(), w) != 0) return fail("bad literal");
        i_ += w.size();
        return true;
    }
    bool value(Json& out) {
        space();
        out.begin = i_;
        if (i_ >= s_.size()) return fail("unexpected end");
        const char c = s_[i_];
        bool ok = false;
        if (c == '{') ok = (out.type = Json::Type::Object, sequence(out, '}'));
        else if (c == '[') ok = (out.type = Json::Type::Array, sequence(out, ']'));
        else if (c == '"') ok = (out.type = Json::Type::String, string(out.text));
        else if (c == 't' || c == 'f')
            ok = (out.type = Json::Type::Bool, out.number = c == 't', literal(c == 't' ? "true" : "false"));
        else if (c == 'n') ok = literal("null");
        else ok = numberValue(out);
        out.end = i_;
        return ok;
    }
    bool numberValue(Json& out) {
        const std::size_t start = i_;
        while (i_ < s_.size() && std::string("+-0123456789.eE").find(s_[i_]) != std::string::npos) ++i_;
        if (start == i_) return fail("unexpected character");
        const std::string text = s_.substr(start, i_ - start);
        out.type = Json::Type::Number;
        out.number = std::stod(text);
        out.integer = text.find_first_of(".eE") == std::string::npos;
        return true;
    }
    bool string(std::string& out) {
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            const auto c = static_cast<unsigned char>(s_[i_]);
            if (c < 0x20) return fail("raw control character in a string");
            if (c != '\\') {
                out += s_[i_++];
                continue;
            }
            if (++i_ >= s_.size()) return fail("unexpected end");
            const char e = s_[i_++];
            if (const auto simple = std::string_view("\"\\/bfnrt").find(e); simple != std::string_view::npos)
                out += "\"\\/\b\f\n\r\t"[simple];
            else if (e == 'u' && i_ + 4 <= s_.size()) out += "\\u" + s_.substr(i_, 4), i_ += 4; // kept as written
            else return fail("bad escape");
        }
        if (i_ >= s_.size()) return fail("unterminated string");
        ++i_;
        return true;
    }
    // An array's items or an object's members, up to close.
    bool sequence(Json& out, char close) {
        ++i_;
        space();
        if (at(close)) return ++i_, true;
        for (;;) {
            Json* item = nullptr;
            if (close == ']') {
                item = &out.items.emplace_back();
            } else {
                space();
                std::string key;
                if (!at('"') || !string(key)) return fail("expected a key");
                for (const auto& m : out.members)
                    if (m.first == key) return fail("key " + key + " twice");
                space();
                if (!at(':')) return fail("expected :");
                ++i_;
                item = &out.members.emplace_back(key, Json{}).second;
            }
            if (!value(*item)) return false;
            space();
            if (!at(',')) return at(close) ? (++i_, true) : fail(std::string("expected , or ") + close);
            ++i_;
        }
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

using Check = std::function<std::string(const Json&)>; // "" or what is wrong
using Schema = std::map<std::string, Check>;

const Check text = [](const Json& j) { return j.type == Json::Type::String ? "" : "not a string"; };
const Check textOrNull = [](const Json& j) { return j.type == Json::Type::Null ? "" : text(j); };
const Check boolean = [](const Json& j) { return j.type == Json::Type::Bool ? "" : "not true or false"; };
const Check qos = [](const Json& j) {
    return j.type == Json::Type::Number && j.integer && j.number >= 0 && j.number <= 2 ? "" : "not 0, 1 or 2";
};
const Check atLeastOne = [](const Json& j) {
    return j.type == Json::Type::Number && j.integer && j.number >= 1 ? "" : "not a whole number of at least 1";
};
const Check url = [](const Json& j) {
    for (const char* scheme : {"http://", "https://", "homeassistant://"})
        if (j.type == Json::Type::String && j.text.rfind(scheme, 0) == 0) return "";
    return "not a URL";
};
Check oneOf(std::set<std::string> words) {
    return [words](const Json& j) {
        return j.type == Json::Type::String && words.count(j.text) ? "" : "not an allowed word";
    };
}

// The hub's valid_topic: UTF-8 without NUL or control characters.
std::string topicProblem(const Json& j) {
    if (j.type != Json::Type::String || j.text.empty() || j.text.size() > 65535) return "not a topic";
    for (std::size_t i = 0; i < j.text.size(); ++i) {
        const auto c = static_cast<unsigned char>(j.text[i]);
        if (c < 0x20 || c == 0x7F) return "a control character in the topic";
        if (c == 0xC2 && i + 1 < j.text.size() && static_cast<unsigned char>(j.text[i + 1]) < 0xA0)
            return "a control character in the topic";
    }
    return "";
}
const Check publishTopic = [](const Json& j) {
    const std::string p = topicProblem(j);
    if (!p.empty()) return p;
    return j.text.find_first_of("+#") == std::string::npos ? std::string() : "a wildcard in a topic to publish to";
};
const Check subscribeTopic = [](const Json& j) {
    const std::string p = topicProblem(j);
    if (!p.empty()) return p;
    const std::string& t = j.text;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == '+' && ((i > 0 && t[i - 1] != '/') || (i + 1 < t.size() && t[i + 1] != '/')))
            return std::string("+ does not fill a whole level");
    const auto hash = t.find('#');
    if (hash != std::string::npos && (hash + 1 != t.size() || (hash > 0 && t[hash - 1] != '/')))
        return std::string("# is not a last level of its own");
    return std::string();
};

std::vector<std::string> checkObject(const Json& j, const Schema& schema, const std::set<std::string>& required,
                                     const std::string& where);

Check objectOf(Schema schema, std::set<std::string> required) {
    return [schema, required](const Json& j) {
        const auto problems = checkObject(j, schema, required, "");
        return problems.empty() ? "" : problems.front();
    };
}
Check listOf(Check item) {
    return [item](const Json& j) {
        if (j.type != Json::Type::Array) return std::string("not a list");
        for (const Json& i : j.items)
            if (const std::string p = item(i); !p.empty()) return p;
        return std::string();
    };
}

std::vector<std::string> checkObject(const Json& j, const Schema& schema, const std::set<std::string>& required,
                                     const std::string& where) {
    if (j.type != Json::Type::Object) return {where + "not an object"};
    std::vector<std::string> problems;
    std::set<std::string> seen;
    for (const auto& [key, value] : j.members) {
        seen.insert(key);
        const auto rule = schema.find(key);
        if (rule == schema.end()) problems.push_back(where + key + ": not a key the hub takes");
        else if (const std::string p = rule->second(value); !p.empty()) problems.push_back(where + key + ": " + p);
    }
    for (const auto& key : required)
        if (!seen.count(key)) problems.push_back(where + key + ": missing");
    return problems;
}

const Check device = [](const Json& j) {
    const Schema keys{{"identifiers", listOf(text)},
                      {"connections", listOf(listOf(text))},
                      {"manufacturer", text},
                      {"model", text},
                      {"model_id", text},
                      {"name", text},
                      {"hw_version", text},
                      {"serial_number", text},
                      {"sw_version", text},
                      {"via_device", text},
                      {"suggested_area", text},
                      {"configuration_url", url}};
    if (const std::string p = objectOf(keys, {})(j); !p.empty()) return p;
    for (const auto& [key, value] : j.members)
        if ((key == "identifiers" || key == "connections") && !value.items.empty()) return std::string();
    return std::string("no identifiers");
};

// What every entity takes (availability, device, origin, the common keys)
// and the QoS and encoding of every MQTT platform.
Schema entitySchema() {
    return {{"availability_topic", subscribeTopic},
            {"availability_template", text},
            {"payload_available", text},
            {"payload_not_available", text},
            {"availability_mode", oneOf({"all", "any", "latest"})},
            {"availability", listOf(objectOf({{"topic", subscribeTopic},
                                              {"payload_available", text},
                                              {"payload_not_available", text},
                                              {"value_template", text}},
                                             {"topic"}))},
            {"device", device},
            {"origin", objectOf({{"name", text}, {"sw_version", text}, {"support_url", url}}, {"name"})},
            {"enabled_by_default", boolean},
            {"entity_category", oneOf({"config", "diagnostic"})},
            {"icon", text},
            {"json_attributes_topic", subscribeTopic},
            {"json_attributes_template", text},
            {"object_id", text},
            {"unique_id", text},
            {"qos", qos},
            {"encoding", text},
            {"group", listOf(text)}};
}

Schema componentSchema(const std::string& component) {
    Schema s = entitySchema();
    const Schema readWrite{{"command_topic", publishTopic},
                           {"optimistic", boolean},
                           {"retain", boolean},
                           {"state_topic", subscribeTopic},
                           {"name", textOrNull},
                           {"payload_on", text},
                           {"payload_off", text}};
    if (component == "light") {
        s.insert(readWrite.begin(), readWrite.end());
        s.insert({{"brightness_command_template", text},
                  {"brightness_command_topic", publishTopic},
                  {"brightness_scale", atLeastOne},
                  {"brightness_state_topic", subscribeTopic},
                  {"brightness_value_template", text},
                  {"on_command_type", oneOf({"first", "last", "brightness"})},
                  {"state_value_template", text},
                  {"schema", oneOf({"basic"})},
                  {"effect_list", listOf(text)},
                  {"color_mode_state_topic", subscribeTopic}});
    } else if (component == "switch") {
        s.insert(readWrite.begin(), readWrite.end());
        s.insert({{"command_template", text},
                  {"state_on", text},
                  {"state_off", text},
                  {"value_template", text},
                  {"device_class", oneOf({"outlet", "switch"})}});
    } else if (component == "button") {
        s.insert({{"command_topic", publishTopic},
                  {"command_template", text},
                  {"name", textOrNull},
                  {"payload_press", text},
                  {"retain", boolean},
                  {"device_class", oneOf({"identify", "restart", "update"})}});
    } else {
        return {};
    }
    return s;
}

} // namespace

std::vector<std::string> hubConfigProblems(const std::string& component, const std::string& json) {
    const Schema schema = componentSchema(component);
    if (schema.empty()) return {component + ": not a component the bridge announces"};
    Json root;
    Parser parser(json);
    if (!parser.parse(root)) return {component + ": not JSON: " + parser.error};
    auto problems = checkObject(root, schema, {"command_topic"}, component + ": ");
    bool topic = false, list = false;
    for (const auto& m : root.members)
        topic = topic || m.first == "availability_topic", list = list || m.first == "availability";
    if (topic && list) problems.push_back(component + ": availability_topic and availability together");
    return problems;
}

std::string jsonField(const std::string& json, const std::string& key) {
    Json root;
    Parser parser(json);
    if (!parser.parse(root) || root.type != Json::Type::Object) return "";
    for (const auto& [k, value] : root.members)
        if (k == key) return json.substr(value.begin, value.end - value.begin);
    return "";
}

} // namespace zul::test
