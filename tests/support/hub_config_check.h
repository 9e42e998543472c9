#pragma once
// The hub's rules for a discovery config, as Home Assistant's MQTT
// integration states them in its schemas (the light's basic schema, the
// switch, the button, and the availability, device and origin blocks every
// entity shares): which keys each component takes and what type each value
// must have. A key the hub would not take, a value of the wrong type or a
// missing required key is a problem; so is anything that is not one JSON
// object. Stricter than the hub in one way: texts must be JSON strings and
// switches JSON booleans, not numbers or words it would convert.
#include <string>
#include <vector>

namespace zul::test {

// Every problem of one config ("light: brightness_scale: not a whole number
// of at least 1"), none when the hub takes it.
std::vector<std::string> hubConfigProblems(const std::string& component, const std::string& json);

// The value of a top-level key of a JSON object as its JSON text ("" when absent).
std::string jsonField(const std::string& json, const std::string& key);

} // namespace zul::test
