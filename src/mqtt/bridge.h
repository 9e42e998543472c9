#pragma once
// The MQTT bridge: attached to the program-wide context of whichever process
// owns the transmitter, it connects to a broker, announces the described
// units, the groups, the panic button, the timers switch and the macros by
// discovery, carries out the commands that arrive, and publishes the assumed
// state of every unit after each frame that goes out on an open port, by any
// route.
//
// Everything here runs on the event-loop thread. The client reports from its
// own thread into the inbox, and the first report into an empty inbox asks the
// event loop to take them over. Unit commands wait in a bounded queue of
// their own (CommandQueue) and go out one frame per step of the bridge's send
// queue, with the "GPause" gap after each, as the timers' queue does; so they
// work with the timers off and never interleave with other frames. Groups,
// the panic routine and macros run as their buttons do, each in a one-shot
// tick of its own so that a long run never holds up the next command; at most
// MaxWaitingRuns of them wait to start.
//
// Each install has its own identity on the broker (Identity): its node id in
// every discovery topic and unique_id, and its client id. Its entities are
// available while the bridge is online and the transmitter's port is open
// ("<base>/transmitter"). An entity the user deletes in the hub (its config
// cleared while the bridge is connected) is not announced again until its
// name changes; the deleted ones are kept in "Mqtt"/"Hidden".
#include <array>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "macros/group_file.h"
#include "mqtt/assumed_state.h"
#include "mqtt/client.h"
#include "mqtt/command_queue.h"
#include "mqtt/discovery.h"
#include "mqtt/mqtt_settings.h"
#include "mqtt/topics.h"
#include "platform/signal.h"

namespace zul {
class SendQueue;
class Tick;
class TimerLog;
namespace app {
class App;
}
} // namespace zul

namespace zul::mqtt {

// What became of a command from outside the windows (a message to the
// bridge, a request to the web remote).
struct Outcome {
    enum class Status {
        Accepted,
        Offline, // the transmitter's port is not open
        Busy,    // the queue is full
        Missing, // no such macro
        Refused, // it cannot be done (an appliance dimmed, the panic button not set up)
    };
    Status status = Status::Accepted;
    std::string kind;    // the sort of refusal, so that the bridge tells each sort once
    std::string message; // why, for a sentence ("the panic button is not set up")
    bool accepted() const { return status == Status::Accepted; }
};

class MqttBridge {
public:
    static constexpr std::size_t MaxWaitingRuns = 4;
    // How often the bridge looks at the transmitter's port and the macro files.
    static constexpr int WatchMs = 2000;

    MqttBridge(app::App& app, ClientFactory factory, DeviceInfo device);
    ~MqttBridge();
    MqttBridge(const MqttBridge&) = delete;
    MqttBridge& operator=(const MqttBridge&) = delete;

    // Reads the "Mqtt" settings and connects when the bridge is enabled. A
    // broker given here overrides "Broker" for this run and enables the bridge.
    void start(const std::string& brokerOverride = "");
    // Unsubscribes, publishes "offline" and disconnects once the broker has
    // acknowledged both, ending the session: nothing sent while the program
    // is stopped runs at its next start. Frames already queued still go out.
    void stop();
    // The settings changed.
    void restart();

    bool running() const { return client_ != nullptr; }
    bool connected() const { return connected_; }
    // One line on how the bridge stands ("Connected to mqtt://hub:1883").
    const std::string& status() const { return status_; }
    // Told whenever status() changes.
    std::function<void()> statusChanged;
    // This install's identity on the broker (empty until the bridge first starts).
    const Identity& identity() const { return identity_; }

    // One line for every problem worth telling (each kind of refused message
    // once, each kind of connection failure once until the next success, a
    // refused login). The error log gets them too. Texts from outside are escaped.
    std::function<void(const std::string&)> logLine;

    // Carries out a unit, group, panic, macro or timers command by the
    // bridge's rules and through its send queue, whoever asks (the web
    // remote shares them: one queue, one set of assumed states).
    Outcome submit(const Request& request);
    // What the units are assumed to be doing, and the groups (unknown until run).
    const AssumedStates& states() const { return states_; }
    std::optional<bool> groupState(int index) const { return groupStates_.at(static_cast<std::size_t>(index)); }
    // Told after a frame changed assumed states, or a group ran.
    Signal<> statesChanged;
    bool transmitterReady() const;

    // Frames waiting in the bridge's send queue (at most the next one).
    const std::deque<std::string>& pendingFrames() const { return frames_; }

private:
    struct Task;
    struct Connections;

    void connectToProgram();
    void drainInbox();
    void onConnected(int code, const std::string& text);
    void onDisconnected(const std::string& text);
    void onMessage(const ClientEvent& event);
    void handle(const Request& request);
    Outcome runRequest(const Request& request);
    Outcome unitCommand(const Request& request);
    void refill();
    void frameSent(const std::string& bits);
    Outcome runLater(const std::string& key, std::function<void()> work);
    static Outcome busy();
    void refused(std::size_t count);
    void tellRefusals();
    void setTimers(bool on);
    void watch();

    void publish(const std::string& topic, const std::string& payload, bool retain, int qos = 1);
    void publishConfig(const DiscoveryConfig& config);
    void removeConfig(const std::string& component, const std::string& objectId);
    void configDeleted(const std::string& topic);
    void publishUnit(const app::UnitAddress& u, const std::string& description);
    void publishDiscovery();
    void publishMacros();
    void publishStates();
    void publishUnitState(const AssumedStates::Change& change);
    void publishGroupState(std::size_t index);
    void publishTransmitter();
    void publishTimersState();
    void publishLogEntry(const std::string& entry);
    void attachTimerLog();
    void loadHidden();
    void saveHidden();

    void tell(const std::string& text);
    void report(const std::string& kind, const std::string& text);
    void problem(const std::string& text);
    void setStatus(std::string text);

    app::App& app_;
    ClientFactory factory_;
    DeviceInfo device_;
    MqttSettings settings_;
    Identity identity_;
    std::string brokerText_;
    std::unique_ptr<TopicScheme> topics_;
    std::unique_ptr<Discovery> discovery_;
    std::unique_ptr<MqttClient> client_;
    std::shared_ptr<Inbox> inbox_;
    std::deque<std::string> frames_;
    std::unique_ptr<SendQueue> sendQueue_;
    CommandQueue commands_;
    std::list<std::unique_ptr<Task>> tasks_;
    std::size_t refusedInBurst_ = 0;
    AssumedStates states_;
    std::array<std::optional<bool>, macros::kGroupCount> groupStates_{};
    std::optional<bool> transmitterShown_; // what "<base>/transmitter" says
    std::unique_ptr<Tick> watchTick_;
    // Discovery topics with a config of ours out, each with its entity's key
    // ("light/a3") and the hash of its name.
    std::map<std::string, std::pair<std::string, std::string>> published_;
    std::multiset<std::string> ownRemovals_;    // topics we cleared whose echo has not come back
    std::map<std::string, std::string> hidden_; // entity key -> hash of its name when the user deleted it
    std::map<std::string, std::string> macros_; // macro file name -> object id, announced
    std::set<std::string> leftOutMacros_;       // names told once as unusable
    std::set<std::string> reported_;            // kinds of refusal already told
    std::set<std::string> connectionProblems_;  // told since the last connection
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
