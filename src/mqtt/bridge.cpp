#include "mqtt/bridge.h"

#include <algorithm>
#include <filesystem>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_macro.h"
#include "app/startup.h"
#include "app/timers_switch.h"
#include "platform/event_loop.h"
#include "platform/text.h"
#include "timers/send_queue.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"
#include "x10/x10_codes.h"

namespace zul::mqtt {

namespace {
constexpr std::size_t MaxClientId = 23;  // what every MQTT 3.1.1 broker must accept

std::string clientId(const std::string& host) {
    return (std::string(NodeId) + "_" + slug(host)).substr(0, MaxClientId);
}

// A log entry as one text with LF line ends and no blank lines around it.
std::string entryText(const std::string& entry) {
    std::string text = joinWith(splitAt(entry, "\r\n"), "\n");
    const auto first = text.find_first_not_of("\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
}

const char* onOff(bool on) { return on ? "ON" : "OFF"; }

// A reason from the client, fit to go in brackets: "The connection was lost."
// -> "The connection was lost".
std::string reason(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}
} // namespace

// A command that runs in a one-shot tick of its own.
struct MqttBridge::Task {
    std::unique_ptr<Tick> tick;
    bool done = false;
};

// The bridge's listeners on the rest of the program.
struct MqttBridge::Connections {
    int frames = 0, timers = 0, descriptions = 0, labels = 0, groups = 0;
};

MqttBridge::MqttBridge(app::App& app, ClientFactory factory, DeviceInfo device)
    : app_(app), factory_(std::move(factory)), device_(std::move(device)), inbox_(std::make_shared<Inbox>()),
      connections_(std::make_unique<Connections>()), self_(std::make_shared<MqttBridge*>(this)) {
    sendQueue_ = std::make_unique<SendQueue>(app.loop, app.transmitter, app.settings, frames_);
    Connections& c = *connections_;
    c.frames = app.transmitter.addSentObserver([this](const std::string& bits) {
        const auto changes = states_.frameSent(bits, [this](const app::UnitAddress& u) {
            return !trimBlanks(app_.descriptions->read(u)).empty();
        });
        for (const auto& change : changes)
            if (topics_) publish(topics_->unitState(change.unit), onOff(change.on), true);
    });
    c.timers = app.timersSwitched.connect([this](bool on) {
        if (on) attachTimerLog();
        else timerLog_ = nullptr;  // it went with the timers
        publishTimersState();
    });
    c.descriptions = app.descriptions->changed.connect([this](const app::UnitAddress& u, const std::string& text) {
        if (!connected_) return;
        if (trimBlanks(text).empty()) removeConfig("light", Discovery::unitObjectId(u));
        else publishConfig(discovery_->unit(u, text));
    });
    c.labels = app.groups->labelChanged.connect([this](int index) {
        if (!connected_) return;
        const std::string& label = app_.groupLabels.get(index);
        if (trimBlanks(label).empty()) removeConfig("switch", Discovery::groupObjectId(index + 1));
        else publishConfig(discovery_->group(index + 1, label));
    });
    c.groups = app.groups->groupRan.connect([this](int index, bool on) {
        groupStates_.at(static_cast<std::size_t>(index)) = on;
        if (topics_) publish(topics_->groupState(index + 1), onOff(on), true);
    });
    if (app.timers) attachTimerLog();
}

MqttBridge::~MqttBridge() {
    stop();
    const Connections& c = *connections_;
    app_.transmitter.removeSentObserver(c.frames);
    app_.timersSwitched.disconnect(c.timers);
    app_.descriptions->changed.disconnect(c.descriptions);
    app_.groups->labelChanged.disconnect(c.labels);
    app_.groups->groupRan.disconnect(c.groups);
    if (timerLog_) timerLog_->entryAdded.disconnect(timerLogConnection_);
}

void MqttBridge::start(const std::string& brokerOverride) {
    if (client_) return;
    settings_ = loadMqttSettings(app_.settings);
    if (!brokerOverride.empty()) {
        settings_.broker = brokerOverride;
        settings_.enabled = true;
    }
    if (!settings_.enabled) {
        setStatus("The MQTT bridge is off.");
        return;
    }
    if (const auto problems = checkMqttSettings(settings_); !problems.empty()) {
        setStatus("The MQTT bridge is not started: " + problems.front());
        problem("MQTT: " + status_);
        return;
    }
    std::string error;
    const BrokerAddress broker = *parseBroker(settings_.broker, error);
    brokerText_ = brokerUrl(broker);
    topics_ = std::make_unique<TopicScheme>(settings_.baseTopic, settings_.discoveryPrefix);
    discovery_ = std::make_unique<Discovery>(*topics_, device_);
    ClientOptions options;
    options.broker = broker;
    options.caFile = settings_.caFile;
    options.username = settings_.username;
    options.password = settings_.password;
    options.clientId = clientId(device_.host);
    options.willTopic = topics_->status();
    options.willPayload = "offline";
    client_ = factory_();
    auto sink = [inbox = inbox_, loop = &app_.loop, self = std::weak_ptr<MqttBridge*>(self_)](ClientEvent e) {
        if (inbox->push(std::move(e)))
            loop->post([self] {
                if (const auto bridge = self.lock()) (*bridge)->drainInbox();
            });
    };
    if (const std::string why = client_->start(options, std::move(sink)); !why.empty()) {
        client_.reset();
        setStatus("The MQTT bridge is not started: " + why);
        problem("MQTT: " + status_);
        return;
    }
    setStatus("Connecting to " + brokerText_ + "...");
}

void MqttBridge::stop() {
    if (!client_) return;
    if (connected_) {
        // The broker keeps our session; without subscriptions it queues no
        // commands for us while we are away, so none goes out stale at the next start.
        for (const std::string& pattern : topics_->subscriptions()) client_->unsubscribe(pattern);
        publish(topics_->status(), "offline", true);
    }
    client_->stop();
    client_.reset();
    connected_ = false;
    inbox_->takeAll();
    lastProblem_.clear();
    setStatus("The MQTT bridge is off.");
}

void MqttBridge::restart() {
    stop();
    start();
}

void MqttBridge::setStatus(std::string text) {
    if (text == status_) return;
    status_ = std::move(text);
    if (statusChanged) statusChanged();
}

void MqttBridge::drainInbox() {
    for (const ClientEvent& e : inbox_->takeAll()) {
        if (!client_) break;  // stopped while an earlier report was handled
        switch (e.kind) {
        case ClientEvent::Kind::Connected: onConnected(e.code, e.text); break;
        case ClientEvent::Kind::Disconnected: onDisconnected(e.text); break;
        case ClientEvent::Kind::Message: onMessage(e); break;
        }
    }
    if (const std::size_t dropped = inbox_->takeDropped())
        report("inbox full", "dropped " + std::to_string(dropped) + " MQTT messages that came faster than they could be handled");
    tasks_.remove_if([](const std::unique_ptr<Task>& t) { return t->done; });
}

void MqttBridge::onConnected(int code, const std::string& text) {
    if (code != 0) {
        connected_ = false;
        setStatus("The broker at " + brokerText_ + " refused the connection: " + text);
        problem("MQTT: the broker at " + brokerText_ + " refused the connection (" + reason(text) + "); trying again");
        return;
    }
    connected_ = true;
    lastProblem_.clear();
    setStatus("Connected to " + brokerText_);
    if (logLine) logLine("MQTT: connected to " + brokerText_);
    for (const std::string& pattern : topics_->subscriptions()) client_->subscribe(pattern, 1);
    publish(topics_->status(), "online", true);
    publishDiscovery();
    publishStates();
}

void MqttBridge::onDisconnected(const std::string& text) {
    const bool was = connected_;
    connected_ = false;
    setStatus("Not connected to " + brokerText_ + ": " + text);
    if (was) problem("MQTT: lost the connection to " + brokerText_ + " (" + reason(text) + "); trying again");
    else if (lastProblem_.empty())
        problem("MQTT: cannot connect to " + brokerText_ + " (" + reason(text) + "); trying again");
}

void MqttBridge::onMessage(const ClientEvent& event) {
    const auto parsed = parseMessage(*topics_, event.topic, event.payload, event.payloadBytes, event.retained);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) report(refusal->kind, "MQTT: " + refusal->message);
    else handle(std::get<Request>(parsed));
}

void MqttBridge::handle(const Request& r) {
    switch (r.target) {
    case Target::Unit: unitCommand(r.unit, r.word); break;
    case Target::Group: {
        const int index = r.group - 1;
        const std::string word = r.word;
        runLater([this, index, word] { app_.groups->runner().strtGroup(index, word); });
        break;
    }
    case Target::Panic:
        if (app_.groups->panic().settings.group < 1) {
            report("panic not set up", "MQTT: the panic button is not set up; " + topics_->panicCommand() + " ignored");
            break;
        }
        runLater([this] { app_.groups->panic().runGroups(); });
        break;
    case Target::Macro: {
        const std::filesystem::path file = app_.folder / r.macroFile;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            report("macro missing", "MQTT: there is no macro " + r.macroFile + " in " + app_.folder.string());
            break;
        }
        runLater([this, file] { app::CroSend(app_, file); });
        break;
    }
    case Target::Timers: {
        const bool on = r.word == "ON";
        runLater([this, on] { setTimers(on); });  // loading the timers may ask the user something
        break;
    }
    case Target::Discovery: {
        // A config left in the broker from earlier that we no longer stand behind goes.
        const std::string topic = topics_->discovery(r.component, r.objectId);
        if (!r.emptyPayload && !published_.count(topic)) publish(topic, "", true);
        break;
    }
    }
}

void MqttBridge::unitCommand(const app::UnitAddress& unit, const std::string& word) {
    if (word == "ON" || word == "OFF") {
        queue({unit.house, unit.unit, word == "ON" ? x10::Action::On : x10::Action::Off});
        return;
    }
    // BRI and DIM act on the unit last addressed on the house code: address this one first.
    if (states_.lastAddressed(unit.house) != unit.unit) queue({unit.house, unit.unit, x10::Action::On});
    queue({unit.house, 0, word == "BRI" ? x10::Action::Bri : x10::Action::Dim});
}

void MqttBridge::queue(const x10::Command& command) {
    frames_.push_back(app_.codes.frameFor(command));
    sendQueue_->wake();  // at once, not on the resting queue's next look
    if (command.unit > 0) states_.addressed({command.house, command.unit});
}

void MqttBridge::runLater(std::function<void()> work) {
    auto task = std::make_unique<Task>();
    Task* t = task.get();
    t->tick = app_.loop.createTick("mqttCommand", 1, [t, work = std::move(work)] {
        t->tick->setEnabled(false);
        work();
        t->done = true;
    });
    t->tick->setEnabled(true);
    tasks_.push_back(std::move(task));
}

void MqttBridge::setTimers(bool on) {
    // Through the main window's switch when there is one, so that it shows the
    // change; without windows (the service) the machinery stays loaded and
    // only its scheduler stops.
    if (app_.startup->setTimersOn) app_.startup->setTimersOn(on);
    else if (app_.timers) app_.timers->setMasterSwitch(on);
    else if (on) app::switchTimers(app_, true);
    publishTimersState();
}

void MqttBridge::publish(const std::string& topic, const std::string& payload, bool retain, int qos) {
    if (client_ && connected_) client_->publish(topic, payload, qos, retain);
}

void MqttBridge::publishConfig(const DiscoveryConfig& config) {
    const std::string topic = topics_->discovery(config.component, config.objectId);
    published_.insert(topic);
    publish(topic, config.json, true);
}

void MqttBridge::removeConfig(const std::string& component, const std::string& objectId) {
    const std::string topic = topics_->discovery(component, objectId);
    published_.erase(topic);
    publish(topic, "", true);
}

void MqttBridge::publishDiscovery() {
    published_.clear();
    for (const auto& d : app_.descriptions->described()) publishConfig(discovery_->unit(d.unit, d.text));
    for (int i = 0; i < app::GroupsPanel::Groups; ++i) {
        const std::string& label = app_.groupLabels.get(i);
        if (!trimBlanks(label).empty()) publishConfig(discovery_->group(i + 1, label));
    }
    const PanicRoutine& panic = app_.groups->panic();
    if (panic.settings.group >= 1) publishConfig(discovery_->panic(withoutAccessKeys(panic.settings.caption)));
    publishConfig(discovery_->timers());
    publishMacros();
}

void MqttBridge::publishMacros() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(app_.folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (endsWithNoCase(name, ".cro") && entry.is_regular_file(ec)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::set<std::string> ids;
    for (const std::string& name : names) {
        std::string id = Discovery::macroObjectId(name);
        for (int n = 2; !ids.insert(id).second; ++n) id = Discovery::macroObjectId(name) + "_" + std::to_string(n);
        publishConfig(discovery_->macro(id, name));
    }
}

void MqttBridge::publishStates() {
    for (const auto& s : states_.known()) publish(topics_->unitState(s.unit), onOff(s.on), true);
    for (std::size_t i = 0; i < groupStates_.size(); ++i)
        if (groupStates_[i]) publish(topics_->groupState(static_cast<int>(i) + 1), onOff(*groupStates_[i]), true);
    publishTimersState();
}

void MqttBridge::publishTimersState() {
    if (topics_) publish(topics_->timersState(), onOff(app_.timers && app_.timers->scheduler().masterSwitch()), true);
}

void MqttBridge::publishLogEntry(const std::string& entry) {
    if (topics_) publish(topics_->log(), entryText(entry), false, 0);
}

void MqttBridge::attachTimerLog() {
    if (timerLog_ == &app_.timers->log()) return;  // the news also comes when only the master switch changed
    timerLog_ = &app_.timers->log();
    timerLogConnection_ = timerLog_->entryAdded.connect([this](const std::string& entry) { publishLogEntry(entry); });
}

void MqttBridge::report(const std::string& kind, const std::string& text) {
    if (!reported_.insert(kind).second) return;
    if (logLine) logLine(text);
    app_.logError("MqttBridge", "mqtt", text);
}

void MqttBridge::problem(const std::string& text) {
    if (text == lastProblem_) return;
    lastProblem_ = text;
    if (logLine) logLine(text);
    app_.logError("MqttBridge", "mqtt", text);
}

} // namespace zul::mqtt
