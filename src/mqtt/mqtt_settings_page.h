#pragma once
// The "Mqtt" settings editor without its widgets: the values being edited,
// Apply (which stores them only when they can be used), and "Test
// connection", which tries the broker with the values as they stand and says
// plainly what happened, without blocking the window.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mqtt/client.h"
#include "mqtt/mqtt_settings.h"

namespace zul {
class EventLoop;
class SettingsBackend;
class Tick;
} // namespace zul

namespace zul::mqtt {

class MqttSettingsForm {
public:
    static constexpr int TestTimeoutMs = 5000;
    static constexpr int TestPollMs = 50;

    // clientId names the test connection to the broker (it must differ from the bridge's own).
    MqttSettingsForm(SettingsBackend& settings, EventLoop& loop, ClientFactory factory, std::string clientId);
    ~MqttSettingsForm();

    MqttSettings values;
    // The stored settings into values.
    void load();
    // Stores values and tells applied; when they cannot be used, stores
    // nothing and returns what is wrong.
    std::vector<std::string> apply();
    std::function<void()> applied;

    // Tries the broker with values; done gets the outcome in one sentence.
    void testConnection();
    bool testing() const { return client_ != nullptr; }
    std::function<void(bool ok, const std::string& text)> done;

private:
    void poll();
    void finish(bool ok, const std::string& text);

    SettingsBackend& settings_;
    ClientFactory factory_;
    std::string clientId_;
    std::unique_ptr<MqttClient> client_;
    std::shared_ptr<Inbox> inbox_;
    std::unique_ptr<Tick> tick_;
    std::string url_;
    int waitedMs_ = 0;
};

} // namespace zul::mqtt
