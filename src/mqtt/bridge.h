#pragma once
// The MQTT bridge: attached to the program-wide context of whichever process
// owns the transmitter, it connects to a broker, announces the described
// units, the groups, the panic button, the timers switch and the macros by
// discovery, carries out the commands that arrive, and publishes the assumed
// state of every unit after each ON or OFF that goes out by any route.
//
// Everything here runs on the event-loop thread. The client reports from its
// own thread into the inbox, and the first report into an empty inbox asks the
// event loop to take them over. Unit commands
// become frames in the bridge's own send queue (drained one frame per tick
// with the "GPause" gap, as the timers' queue is), so they work with the
// timers off and never interleave with other frames; groups, the panic
// routine and macros run as their buttons do, each in a one-shot tick of its
// own so that a long run never holds up the next command.
#include <array>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "mqtt/assumed_state.h"
#include "mqtt/client.h"
#include "mqtt/discovery.h"
#include "mqtt/mqtt_settings.h"
#include "mqtt/topics.h"

namespace zul {
class SendQueue;
class Tick;
class TimerLog;
namespace app {
class App;
}
namespace x10 {
struct Command;
}
} // namespace zul

namespace zul::mqtt {

class MqttBridge {
public:
    MqttBridge(app::App& app, ClientFactory factory, DeviceInfo device);
    ~MqttBridge();
    MqttBridge(const MqttBridge&) = delete;
    MqttBridge& operator=(const MqttBridge&) = delete;

    // Reads the "Mqtt" settings and connects when the bridge is enabled. A
    // broker given here overrides "Broker" for this run and enables the bridge.
    void start(const std::string& brokerOverride = "");
    // Publishes "offline" and disconnects cleanly, leaving no subscription
    // behind on the broker. Frames already queued still go out.
    void stop();
    // The settings changed.
    void restart();

    bool running() const { return client_ != nullptr; }
    bool connected() const { return connected_; }
    // One line on how the bridge stands ("Connected to mqtt://hub:1883").
    const std::string& status() const { return status_; }
    // Told whenever status() changes.
    std::function<void()> statusChanged;

    // One line for every problem worth telling (each kind of refused message
    // once, a lost connection, a refused login). The error log gets them too.
    std::function<void(const std::string&)> logLine;

    // Frames waiting in the bridge's send queue.
    const std::deque<std::string>& pendingFrames() const { return frames_; }

private:
    struct Task;
    struct Connections;

    void drainInbox();
    void onConnected(int code, const std::string& text);
    void onDisconnected(const std::string& text);
    void onMessage(const ClientEvent& event);
    void handle(const Request& request);
    void unitCommand(const app::UnitAddress& unit, const std::string& word);
    void queue(const x10::Command& command);
    void runLater(std::function<void()> work);
    void setTimers(bool on);

    void publish(const std::string& topic, const std::string& payload, bool retain, int qos = 1);
    void publishConfig(const DiscoveryConfig& config);
    void removeConfig(const std::string& component, const std::string& objectId);
    void publishDiscovery();
    void publishMacros();
    void publishStates();
    void publishTimersState();
    void publishLogEntry(const std::string& entry);
    void attachTimerLog();

    void report(const std::string& kind, const std::string& text);
    void problem(const std::string& text);
    void setStatus(std::string text);

    app::App& app_;
    ClientFactory factory_;
    DeviceInfo device_;
    MqttSettings settings_;
    std::string brokerText_;
    std::unique_ptr<TopicScheme> topics_;
    std::unique_ptr<Discovery> discovery_;
    std::unique_ptr<MqttClient> client_;
    std::shared_ptr<Inbox> inbox_;
    std::deque<std::string> frames_;
    std::unique_ptr<SendQueue> sendQueue_;
    std::list<std::unique_ptr<Task>> tasks_;
    AssumedStates states_;
    std::array<std::optional<bool>, 8> groupStates_{};
    std::set<std::string> published_;  // discovery topics with a config out
    std::set<std::string> reported_;   // kinds of refusal already told
    std::string lastProblem_;
    bool connected_ = false;
    std::string status_ = "The MQTT bridge is off.";
    std::unique_ptr<Connections> connections_;
    TimerLog* timerLog_ = nullptr;
    int timerLogConnection_ = 0;
    // Held while the bridge lives: what the client's thread posts to the
    // event loop finds the bridge through it, or nothing once it is gone.
    std::shared_ptr<MqttBridge*> self_;
};

} // namespace zul::mqtt
