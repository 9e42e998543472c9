#include "mqtt/bridge.h"

#include <algorithm>
#include <filesystem>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/line_dialogs.h"
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

// A command that runs in a one-shot tick of its own.
struct MqttBridge::Task {
    std::string key; // "group2", "panic", "macro Hall.cro", "timers"
    std::function<void()> work;
    std::unique_ptr<Tick> tick;
    bool started = false, done = false;
};

// The bridge's listeners on the rest of the program.
struct MqttBridge::Connections {
    int frames = 0, timers = 0, descriptions = 0, labels = 0, groups = 0, groupProblems = 0;
};

MqttBridge::MqttBridge(app::App& app, ClientFactory factory, DeviceInfo device)
    : app_(app), factory_(std::move(factory)), device_(std::move(device)), inbox_(std::make_shared<Inbox>()),
      connections_(std::make_unique<Connections>()), self_(std::make_shared<MqttBridge*>(this)) {
    sendQueue_ = std::make_unique<SendQueue>(app.loop, app.transmitter, app.settings, frames_);
    sendQueue_->refill = [this] { refill(); };
    watchTick_ = app.loop.createTick("mqttWatch", WatchMs, [this] { watch(); });
    watchTick_->setCoarse(true);
    connectToProgram();
    if (app.timers) attachTimerLog();
}

void MqttBridge::connectToProgram() {
    Connections& c = *connections_;
    c.frames = app_.transmitter.addSentObserver([this](const std::string& bits) { frameSent(bits); });
    c.timers = app_.timersSwitched.connect([this](bool on) {
        if (on) attachTimerLog();
        else timerLog_ = nullptr; // it went with the timers
        publishTimersState();
    });
    c.descriptions = app_.descriptions->changed.connect([this](const app::UnitAddress& u, const std::string& text) {
        if (connected_) publishUnit(u, text);
    });
    c.labels = app_.groups->labelChanged.connect([this](int index) {
        if (!connected_) return;
        const std::string& label = app_.groupLabels.get(index);
        if (trimBlanks(label).empty()) removeConfig("switch", Discovery::groupObjectId(index + 1));
        else publishConfig(discovery_->group(index + 1, label));
    });
    c.groups = app_.groups->groupRan.connect([this](int index, bool on, bool sent) {
        if (!sent) return; // nothing went out: the group is where it was
        groupStates_.at(static_cast<std::size_t>(index)) = on;
        publishGroupState(static_cast<std::size_t>(index));
        statesChanged();
    });
    c.groupProblems = app_.groups->groupProblem.connect([this](const std::string& text) { tell(text); });
}

MqttBridge::~MqttBridge() {
    stop();
    const Connections& c = *connections_;
    app_.transmitter.removeSentObserver(c.frames);
    app_.timersSwitched.disconnect(c.timers);
    app_.descriptions->changed.disconnect(c.descriptions);
    app_.groups->labelChanged.disconnect(c.labels);
    app_.groups->groupRan.disconnect(c.groups);
    app_.groups->groupProblem.disconnect(c.groupProblems);
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
    std::string idProblem;
    identity_ = identityOf(installId(app_.settings, idProblem), device_.host, settings_.baseTopic);
    if (!idProblem.empty()) problem("MQTT: " + idProblem);
    std::string error;
    const BrokerAddress broker = *parseBroker(settings_.broker, error);
    brokerText_ = brokerUrl(broker);
    topics_ = std::make_unique<TopicScheme>(settings_.baseTopic, settings_.discoveryPrefix, identity_.nodeId);
    discovery_ = std::make_unique<Discovery>(*topics_, identity_, device_.version);
    states_.setFullSteps(settings_.dimSteps);
    loadHidden();
    ClientOptions options;
    options.broker = broker;
    options.caFile = settings_.caFile;
    options.username = settings_.username;
    options.password = settings_.password;
    options.clientId = identity_.clientId;
    options.sessionExpirySeconds = settings_.keepCommandsSeconds;
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
    watchTick_->setEnabled(true);
    setStatus("Connecting to " + brokerText_ + "...");
}

void MqttBridge::stop() {
    if (!client_) return;
    watchTick_->setEnabled(false);
    if (connected_) {
        // Without subscriptions the broker queues no commands for us while we
        // are away; the client then ends the session itself.
        for (const std::string& pattern : topics_->subscriptions()) client_->unsubscribe(pattern);
        publish(topics_->status(), "offline", true);
    }
    client_->stop();
    client_.reset();
    connected_ = false;
    inbox_->takeAll();
    connectionProblems_.clear();
    tellRefusals();
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
        if (!client_) break; // stopped while an earlier report was handled
        switch (e.kind) {
        case ClientEvent::Kind::Connected: onConnected(e.code, e.text); break;
        case ClientEvent::Kind::Disconnected: onDisconnected(e.text); break;
        case ClientEvent::Kind::Message: onMessage(e); break;
        }
    }
    if (const std::size_t dropped = inbox_->takeDropped())
        report("inbox full", "MQTT: dropped " + std::to_string(dropped) +
                                 " MQTT messages that came faster than they could be handled");
    tasks_.remove_if([](const std::unique_ptr<Task>& t) { return t->done; });
    if (commands_.empty() && std::none_of(tasks_.begin(), tasks_.end(), [](const auto& t) { return !t->started; }))
        tellRefusals();
}

void MqttBridge::onConnected(int code, const std::string& text) {
    if (code != 0) {
        connected_ = false;
        setStatus("The broker at " + brokerText_ + " refused the connection: " + text);
        if (connectionProblems_.insert("refused: " + text).second)
            problem("MQTT: the broker at " + brokerText_ + " refused the connection (" + text + "); trying again");
        return;
    }
    connected_ = true;
    connectionProblems_.clear();
    ownRemovals_.clear();
    setStatus("Connected to " + brokerText_);
    tell("MQTT: connected to " + brokerText_ + " as " + identity_.clientId);
    for (const std::string& pattern : topics_->subscriptions()) client_->subscribe(pattern, 1);
    publish(topics_->status(), "online", true);
    transmitterShown_.reset();
    publishTransmitter();
    publishDiscovery();
    publishStates();
}

void MqttBridge::onDisconnected(const std::string& text) {
    const bool was = connected_;
    connected_ = false;
    setStatus("Not connected to " + brokerText_ + ": " + text);
    // Each kind of failure once, until a connection succeeds again.
    if (!connectionProblems_.insert(text).second) return;
    if (was) problem("MQTT: lost the connection to " + brokerText_ + " (" + text + "); trying again");
    else problem("MQTT: cannot connect to " + brokerText_ + " (" + text + "); trying again");
}

void MqttBridge::onMessage(const ClientEvent& event) {
    const auto parsed = parseMessage(*topics_, event.topic, event.payload, event.payloadBytes, event.retained);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) report(refusal->kind, "MQTT: " + refusal->message);
    else handle(std::get<Request>(parsed));
}

void MqttBridge::handle(const Request& r) {
    if (r.target == Target::Discovery) {
        const std::string topic = topics_->discovery(r.component, r.objectId);
        if (r.emptyPayload) configDeleted(topic);
        // A config left in the broker from earlier that we no longer stand behind goes.
        else if (!published_.count(topic)) publish(topic, "", true);
        return;
    }
    const Outcome outcome = submit(r);
    if (outcome.status == Outcome::Status::Busy) refused(1);
    else if (outcome.status == Outcome::Status::Refused && r.target == Target::Panic)
        report(outcome.kind, "MQTT: " + outcome.message + "; " + topics_->panicCommand() + " ignored");
    else if (!outcome.accepted()) report(outcome.kind, "MQTT: " + outcome.message);
}

Outcome MqttBridge::submit(const Request& r) {
    if (r.target != Target::Timers && !transmitterReady())
        return {Outcome::Status::Offline, "transmitter offline",
                "the transmitter's port is not open; commands are refused until it is"};
    return r.target == Target::Unit ? unitCommand(r) : runRequest(r);
}

Outcome MqttBridge::runRequest(const Request& r) {
    switch (r.target) {
    case Target::Group: {
        const int index = r.group - 1;
        const std::string word = r.word;
        return runLater("group" + std::to_string(r.group),
                        [this, index, word] { app_.groups->runner().strtGroup(index, word); });
    }
    case Target::Panic:
        if (app_.groups->panic().settings.group < 1)
            return {Outcome::Status::Refused, "panic not set up", "the panic button is not set up"};
        return runLater("panic", [this] { app_.groups->panic().runGroups(); });
    case Target::Macro: {
        const std::filesystem::path file = app_.folder / r.macroFile;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec))
            return {Outcome::Status::Missing, "macro missing",
                    "there is no macro " + r.macroFile + " in " + app_.folder.string()};
        return runLater("macro " + r.macroFile, [this, file] { app::croSend(app_, file); });
    }
    case Target::Timers: {
        const bool on = r.word == "ON";
        return runLater("timers", [this, on] { setTimers(on); }); // loading the timers may ask the user something
    }
    default: return {Outcome::Status::Refused, "not a command", "not a command"};
    }
}

Outcome MqttBridge::unitCommand(const Request& r) {
    using Kind = CommandQueue::Wish::Kind;
    const bool dims = r.word == "BRI" || r.word == "DIM" || r.word == "LEVEL";
    if (dims && app_.descriptions->appliance(r.unit))
        return {Outcome::Status::Refused, "appliance dimmed",
                "unit " + app::unitName(r.unit) + " is an appliance; " +
                    (r.word == "LEVEL" ? std::string("a brightness") : r.word) + " refused"};
    CommandQueue::Wish wish{r.unit, Kind::On, 0};
    if (r.word == "OFF") wish.kind = Kind::Off;
    else if (r.word == "LEVEL") wish = {r.unit, Kind::Level, states_.stepsFor(r.percent)};
    else if (r.word == "BRI" || r.word == "DIM") wish = {r.unit, Kind::Steps, r.word == "BRI" ? 1 : -1};
    if (!commands_.add(wish)) return busy();
    sendQueue_->wake(); // at once, not on the resting queue's next look
    return {};
}

Outcome MqttBridge::busy() {
    return {Outcome::Status::Busy, "queue full",
            "the queue is full (at most " + std::to_string(CommandQueue::MaxWaiting) + " units and " +
                std::to_string(MaxWaitingRuns) + " runs wait)"};
}

// The send queue is empty: the next frame of the first waiting command.
void MqttBridge::refill() {
    if (commands_.empty()) return tellRefusals();
    if (!transmitterReady()) return refused(commands_.clear());
    if (const auto command = commands_.next(states_)) frames_.push_back(app_.codes.frameFor(*command));
}

void MqttBridge::refused(std::size_t count) { refusedInBurst_ += count; }

// One line per burst of refused commands, once the burst is over.
void MqttBridge::tellRefusals() {
    if (refusedInBurst_ == 0) return;
    const std::size_t n = std::exchange(refusedInBurst_, 0);
    problem("MQTT: refused " + std::to_string(n) + " command" + (n == 1 ? "" : "s") +
            " that came while the bridge's queue was full (at most " + std::to_string(CommandQueue::MaxWaiting) +
            " units and " + std::to_string(MaxWaitingRuns) + " runs wait)");
}

Outcome MqttBridge::runLater(const std::string& key, std::function<void()> work) {
    tasks_.remove_if([](const std::unique_ptr<Task>& t) { return t->done; });
    for (const auto& t : tasks_) {
        if (!t->started && t->key == key) { // the newer wish replaces the waiting one
            t->work = std::move(work);
            return {};
        }
    }
    if (std::count_if(tasks_.begin(), tasks_.end(), [](const auto& t) { return !t->started; }) >=
        static_cast<long>(MaxWaitingRuns))
        return busy();
    auto task = std::make_unique<Task>();
    Task* t = task.get();
    t->key = key;
    t->work = std::move(work);
    t->tick = app_.loop.createTick("mqttCommand", 1, [t] {
        t->tick->setEnabled(false);
        t->started = true;
        t->work();
        t->done = true;
    });
    t->tick->setEnabled(true);
    tasks_.push_back(std::move(task));
    return {};
}

void MqttBridge::setTimers(bool on) {
    // Through the main window's switch when there is one, so that it shows the
    // change; without windows (the service) the machinery stays loaded and
    // only its scheduler stops.
    if (app_.windows().timersToggle()) app_.windows().setTimersToggle(on);
    else if (app_.timers) app_.timers->setMasterSwitch(on);
    else if (on) app::switchTimers(app_, true);
    publishTimersState();
}

bool MqttBridge::transmitterReady() const { return app_.port.isOpen() && !app_.port.lost(); }

void MqttBridge::watch() {
    publishTransmitter();
    if (connected_) publishMacros();
}

// A frame went out, by any route: the states it changed, if the port took it.
void MqttBridge::frameSent(const std::string& bits) {
    if (!transmitterReady()) {
        publishTransmitter();
        return;
    }
    const auto changes = states_.frameSent(
        bits, [this](const app::UnitAddress& u) { return !trimBlanks(app_.descriptions->read(u)).empty(); });
    for (const auto& change : changes) publishUnitState(change);
    if (!changes.empty()) statesChanged();
}

void MqttBridge::publishLogEntry(const std::string& entry) {
    if (topics_) publish(topics_->log(), app::LineDialogs::oneLine(entry), false, 0);
}

void MqttBridge::attachTimerLog() {
    if (timerLog_ == &app_.timers->log()) return; // the news also comes when only the master switch changed
    timerLog_ = &app_.timers->log();
    timerLogConnection_ = timerLog_->entryAdded.connect([this](const std::string& entry) { publishLogEntry(entry); });
}

// Standard error (or the desktop's), with whatever came from outside escaped.
void MqttBridge::tell(const std::string& text) {
    if (logLine) logLine(printable(text));
}

void MqttBridge::report(const std::string& kind, const std::string& text) {
    if (!reported_.insert(kind).second) return;
    tell(text);
    app_.logError("MqttBridge", "mqtt", printable(text));
}

void MqttBridge::problem(const std::string& text) {
    tell(text);
    app_.logError("MqttBridge", "mqtt", printable(text));
}

} // namespace zul::mqtt
