#pragma once
// A stand-in for the MQTT client: what the code under test publishes and
// subscribes is recorded in a FakeBroker, and the test plays the broker's
// part (accept or refuse the login, deliver messages, drop the connection).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mqtt/client.h"

namespace zul::test {

struct FakeBroker {
    struct Publication {
        std::string topic, payload;
        int qos = 0;
        bool retain = false;
    };
    std::vector<Publication> published;
    std::vector<std::string> subscribed, unsubscribed;
    mqtt::ClientOptions options;
    mqtt::MqttClient::Sink sink;
    int starts = 0, stops = 0;
    bool connected = false;
    std::string startError;  // what start() answers

    // --- the broker's part
    void accept() { answer(0, ""); }
    void refuse(const std::string& why) { answer(5, why); }
    void drop(const std::string& why) {
        connected = false;
        if (sink) sink(mqtt::ClientEvent::disconnected(why));
    }
    void deliver(const std::string& topic, const std::string& payload, bool retained = false) {
        if (sink) sink(mqtt::ClientEvent::message(topic, payload.data(), payload.size(), retained));
    }

    // --- what the test checks
    // The retained value of every topic (as a broker keeps it: an empty payload removes it).
    std::map<std::string, std::string> retained() const {
        std::map<std::string, std::string> out;
        for (const auto& p : published) {
            if (!p.retain) continue;
            if (p.payload.empty()) out.erase(p.topic);
            else out[p.topic] = p.payload;
        }
        return out;
    }
    // The payloads published to one topic, in order.
    std::vector<std::string> on(const std::string& topic) const {
        std::vector<std::string> out;
        for (const auto& p : published)
            if (p.topic == topic) out.push_back(p.payload);
        return out;
    }

private:
    void answer(int code, const std::string& text) {
        connected = code == 0;
        if (sink) sink(mqtt::ClientEvent::connected(code, text));
    }
};

class FakeClient : public mqtt::MqttClient {
public:
    explicit FakeClient(FakeBroker& broker) : broker_(broker) {}
    std::string start(const mqtt::ClientOptions& options, Sink sink) override {
        ++broker_.starts;
        broker_.options = options;
        broker_.sink = std::move(sink);
        return broker_.startError;
    }
    void stop() override {
        ++broker_.stops;
        broker_.connected = false;
    }
    bool publish(const std::string& topic, const std::string& payload, int qos, bool retain) override {
        if (!broker_.connected) return false;
        broker_.published.push_back({topic, payload, qos, retain});
        return true;
    }
    bool subscribe(const std::string& pattern, int) override {
        broker_.subscribed.push_back(pattern);
        return true;
    }
    bool unsubscribe(const std::string& pattern) override {
        broker_.unsubscribed.push_back(pattern);
        return true;
    }

private:
    FakeBroker& broker_;
};

inline mqtt::ClientFactory fakeClientFactory(FakeBroker& broker) {
    return [&broker] { return std::make_unique<FakeClient>(broker); };
}

} // namespace zul::test
