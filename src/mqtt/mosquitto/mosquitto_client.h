#pragma once
// The MQTT client on libmosquitto (MQTT 5, for the session expiry that keeps
// commands from waiting on the broker for an absent program). Its network loop runs on a
// thread of its own that connects, reads and writes, and after a lost or
// failed connection waits the growing delay and tries again, for as long as
// the client runs. Reports go to the sink from that thread.
#include <memory>
#include <thread>

#include "mqtt/client.h"

namespace zul::mqtt {

class MosquittoClient : public MqttClient {
public:
    MosquittoClient();
    ~MosquittoClient() override;

    std::string start(const ClientOptions& options, Sink sink) override;
    void stop() override;
    bool publish(const std::string& topic, const std::string& payload, int qos, bool retain) override;
    bool subscribe(const std::string& pattern, int qos) override;
    bool unsubscribe(const std::string& pattern) override;

    // What the network thread shares with this object; it may outlive it.
    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace zul::mqtt
