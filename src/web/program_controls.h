#pragma once
// The web remote's view of the program: the state as JSON (described units
// with their assumed states, the groups, the panic button, the macros of the
// program folder, the timers with their next runs, the loop timer), the
// timer log, and the commands, which go through the MQTT bridge's queue and
// rules whether or not the bridge is connected to a broker.
#include <string>

#include "web/api.h"

namespace zul {
class TimerService;
namespace app {
class App;
}
} // namespace zul

namespace zul::web {

class ProgramControls : public RemoteControls {
public:
    // The log keeps the last MaxLogLines lines of the session log.
    static constexpr std::size_t MaxLogLines = 200;
    static constexpr std::size_t MaxMacros = 500;

    ProgramControls(app::App& app, mqtt::MqttBridge& bridge) : app_(app), bridge_(bridge) {}
    std::string stateJson() override;
    std::string logJson() override;
    mqtt::Outcome submit(const mqtt::Request& request) override { return bridge_.submit(request); }

private:
    std::string unitsJson() const;
    std::string groupsJson() const;
    std::string panicJson() const;
    std::string macrosJson() const;
    std::string timersJson();
    std::string loopJson(TimerService& timers) const;

    app::App& app_;
    mqtt::MqttBridge& bridge_;
};

} // namespace zul::web
