#pragma once
// A stand-in for the MQTT client: what the code under test publishes and
// subscribes is recorded in a FakeBroker, and the test plays the broker's
// part (accept or refuse the login, deliver messages, drop the connection).
// Every discovery config published is checked against the hub's rules
// (hub_config_check.h) and must ask for QoS 1 commands; what breaks them is
// kept in configProblems.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mqtt/client.h"
#include "platform/text.h"
#include "support/hub_config_check.h"

namespace zul::test {

struct FakeBroker {
    struct Publication {
        std::string topic, payload;
        bool retain = false;
    };
    std::vector<Publication> published;
    std::vector<std::string> configProblems;
    std::vector<std::string> subscribed, unsubscribed;
    mqtt::ClientOptions options; // of the last start
    mqtt::MqttClient::Sink sink;
    int starts = 0, stops = 0;
    bool connected = false;

    void report(mqtt::ClientEvent e) {
        if (e.kind != mqtt::ClientEvent::Kind::Message)
            connected = e.kind == mqtt::ClientEvent::Kind::Connected && !e.code;
        if (sink) sink(std::move(e));
    }
    void accept() { report(mqtt::ClientEvent::connected(0, "")); }
    void refuse(const std::string& why) { report(mqtt::ClientEvent::connected(5, why)); }
    void drop(const std::string& why) { report(mqtt::ClientEvent::disconnected(why)); }
    void deliver(const std::string& topic, const std::string& payload, bool retained = false) {
        report(mqtt::ClientEvent::message(topic, payload.data(), payload.size(), retained));
    }

    // What a broker keeps: the last retained payload of each topic (an empty one removes it).
    std::map<std::string, std::string> retained() const {
        std::map<std::string, std::string> out;
        for (const auto& p : published) {
            if (p.retain && p.payload.empty()) out.erase(p.topic);
            else if (p.retain) out[p.topic] = p.payload;
        }
        return out;
    }
    std::vector<std::string> on(const std::string& topic) const {
        std::vector<std::string> out;
        for (const auto& p : published)
            if (p.topic == topic) out.push_back(p.payload);
        return out;
    }
};

class FakeClient : public mqtt::MqttClient {
public:
    explicit FakeClient(FakeBroker& b) : b_(b) {}
    std::string start(const mqtt::ClientOptions& o, Sink sink) override {
        ++b_.starts;
        b_.options = o;
        b_.sink = std::move(sink);
        return "";
    }
    void stop() override { ++b_.stops, b_.connected = false; }
    bool publish(const std::string& topic, const std::string& payload, int, bool retain) override {
        if (!b_.connected) return false;
        b_.published.push_back({topic, payload, retain});
        const auto levels = splitAt(topic, "/");
        if (levels.size() >= 4 && levels.back() == "config" && !payload.empty()) {
            for (const auto& p : hubConfigProblems(levels[levels.size() - 4], payload))
                b_.configProblems.push_back(topic + ": " + p);
            if (jsonField(payload, "qos") != "1") b_.configProblems.push_back(topic + ": no \"qos\":1");
        }
        return true;
    }
    bool subscribe(const std::string& pattern, int) override { return b_.subscribed.push_back(pattern), true; }
    bool unsubscribe(const std::string& pattern) override { return b_.unsubscribed.push_back(pattern), true; }

private:
    FakeBroker& b_;
};

inline mqtt::ClientFactory fakeClientFactory(FakeBroker& broker) {
    return [&broker] { return std::make_unique<FakeClient>(broker); };
}

} // namespace zul::test
