#include "mqtt/mqtt_settings_page.h"

#include "platform/event_loop.h"

namespace zul::mqtt {

MqttSettingsForm::MqttSettingsForm(SettingsBackend& settings, EventLoop& loop, ClientFactory factory,
                                   std::string clientId)
    : settings_(settings), factory_(std::move(factory)), clientId_(std::move(clientId)),
      inbox_(std::make_shared<Inbox>()), tick_(loop.createTick("mqttTest", TestPollMs, [this] { poll(); })) {
    load();
}

MqttSettingsForm::~MqttSettingsForm() {
    if (client_) client_->stop();
}

void MqttSettingsForm::load() {
    // Made here, before a broker is first set, so that a new install gets
    // an id of its own and one that had a broker already keeps its old one.
    std::string problem;
    const std::string id = installId(settings_, problem);
    values = loadMqttSettings(settings_);
    values.installId = id;
}

std::vector<std::string> MqttSettingsForm::apply() {
    auto problems = checkMqttSettings(values);
    if (!problems.empty()) return problems;
    if (!saveMqttSettings(settings_, values)) return {"The settings could not be stored."};
    if (applied) applied();
    return {};
}

void MqttSettingsForm::testConnection() {
    if (client_) return;
    MqttSettings v = values;
    v.enabled = true; // the test needs a broker whether or not the bridge is on
    if (const auto problems = checkMqttSettings(v); !problems.empty()) {
        if (done) done(false, problems.front());
        return;
    }
    std::string error;
    ClientOptions options;
    options.broker = *parseBroker(v.broker, error);
    options.caFile = v.caFile;
    options.username = v.username;
    options.password = v.password;
    options.clientId = clientId_;
    options.cleanSession = true; // leaves nothing behind on the broker
    url_ = brokerUrl(options.broker);
    client_ = factory_();
    inbox_->takeAll();
    std::shared_ptr<Inbox> inbox = inbox_;
    if (const std::string why = client_->start(options, [inbox](ClientEvent e) { inbox->push(std::move(e)); });
        !why.empty()) {
        finish(false, "Cannot test " + url_ + ": " + why + ".");
        return;
    }
    waitedMs_ = 0;
    tick_->setEnabled(true);
}

void MqttSettingsForm::poll() {
    waitedMs_ += TestPollMs;
    for (const ClientEvent& e : inbox_->takeAll()) {
        if (e.kind == ClientEvent::Kind::Connected && e.code == 0)
            return finish(true, "Connected to " + url_ + ": the broker accepted the login.");
        if (e.kind == ClientEvent::Kind::Connected)
            return finish(false, "The broker at " + url_ + " refused the connection: " + e.text + ".");
        if (e.kind == ClientEvent::Kind::Disconnected)
            return finish(false, "Cannot connect to " + url_ + ": " + e.text + ".");
    }
    if (waitedMs_ >= TestTimeoutMs)
        finish(false, "No answer from " + url_ + " within " + std::to_string(TestTimeoutMs / 1000) + " seconds.");
}

void MqttSettingsForm::finish(bool ok, const std::string& text) {
    tick_->setEnabled(false);
    if (client_) client_->stop();
    client_.reset();
    if (done) done(ok, text);
}

} // namespace zul::mqtt
