#pragma once
// The bodies the web remote takes: one JSON object of plain values
// ({"command": "ON"}, {"on": true}), at most MaxBodyBytes long. Nested
// objects and arrays are refused: no request needs them.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zul::web {

inline constexpr std::size_t MaxBodyBytes = 4096;

using JsonValue = std::variant<std::nullptr_t, bool, double, std::string>;
using JsonObject = std::map<std::string, JsonValue>;

// nullopt with error set (one short sentence) when the text is not such an object.
std::optional<JsonObject> parseJsonObject(std::string_view text, std::string& error);

// The member as a string or a bool; nullopt when missing or of another type.
std::optional<std::string> stringMember(const JsonObject& object, const std::string& name);
std::optional<bool> boolMember(const JsonObject& object, const std::string& name);

} // namespace zul::web
