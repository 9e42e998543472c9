#pragma once
// The bridge's topics under the base topic (default "zulmarin") and the
// discovery prefix (default "homeassistant"), and the check of every message
// that arrives: what it asks for, or why it is refused.
//
//   zulmarin/status               retained "online" / "offline"
//   zulmarin/transmitter          retained "online" / "offline": the transmitter's port is open
//   zulmarin/unit/A3/set          ON, OFF, BRI, DIM     zulmarin/unit/A3/state   ON / OFF
//   zulmarin/unit/A3/brightness/set   0 to 100          .../brightness/state     the assumed level
//   zulmarin/group/1/set          ON, OFF               zulmarin/group/1/state   ON / OFF
//   zulmarin/panic/set            PRESS
//   zulmarin/macro/run            a macro name ("Evening" or "Evening.cro")
//   zulmarin/timers/set           ON, OFF               zulmarin/timers/state    ON / OFF
//   zulmarin/log                  every timer log entry
//   homeassistant/<component>/<node id>/<object id>/config   discovery
#include <string>
#include <variant>
#include <vector>

#include "app/unit_descriptions.h"

namespace zul::mqtt {

// Longer payloads are refused unread (a macro name is the longest thing we take).
inline constexpr std::size_t MaxPayloadBytes = 256;

class TopicScheme {
public:
    // nodeId: this install's node id in the discovery topics.
    TopicScheme(std::string base, std::string discoveryPrefix, std::string nodeId = "zulmarin");

    std::string status() const;
    std::string transmitter() const;
    std::string unitCommand(const app::UnitAddress& u) const;
    std::string unitState(const app::UnitAddress& u) const;
    std::string unitBrightnessCommand(const app::UnitAddress& u) const;
    std::string unitBrightnessState(const app::UnitAddress& u) const;
    std::string groupCommand(int number) const; // 1 to 8
    std::string groupState(int number) const;
    std::string panicCommand() const;
    std::string macroRun() const;
    std::string timersCommand() const;
    std::string timersState() const;
    std::string log() const;
    // prefix/component/nodeId/objectId/config
    std::string discovery(const std::string& component, const std::string& objectId) const;
    // What the bridge subscribes to: the command topics and its own discovery configs.
    std::vector<std::string> subscriptions() const;

    const std::string& base() const { return base_; }
    const std::string& discoveryPrefix() const { return prefix_; }
    const std::string& nodeId() const { return node_; }

private:
    std::string base_, prefix_, node_;
};

enum class Target { Unit, Group, Panic, Macro, Timers, Discovery };

// A message that asks for something.
struct Request {
    Target target = Target::Unit;
    app::UnitAddress unit;     // Unit
    int group = 0;             // Group: 1 to 8
    std::string word;          // Unit, Group, Timers: ON, OFF, BRI, DIM (upper case); Unit: LEVEL
    int percent = 0;           // Unit LEVEL: 1 to 100
    std::string macroFile;     // Macro: the file name, with ".cro"
    std::string component;     // Discovery: "light", "switch", ...
    std::string objectId;      // Discovery
    bool emptyPayload = false; // Discovery: a removal
};

// A message that is refused. kind names the sort of problem, so that each
// sort is reported once; message says what was wrong, naming the topic.
struct Refusal {
    std::string kind;
    std::string message;
};

// Why a macro file name cannot go through the bridge ("" when it can): it
// must be UTF-8 text without control characters, folders or blanks at its
// ends, so that a press of its button names exactly that file.
std::string macroNameProblem(const std::string& fileName);

// Checks one message. payloadBytes is the payload's full length (the payload
// itself may have been cut short on arrival); retained marks a message the
// broker kept from earlier, which is never taken as a command.
std::variant<Request, Refusal> parseMessage(const TopicScheme& topics, const std::string& topic,
                                            const std::string& payload, std::size_t payloadBytes, bool retained);

} // namespace zul::mqtt
