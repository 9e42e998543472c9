#pragma once
// The MQTT client the bridge talks through, kept behind this small interface
// so that the bridge can be tested with a stand-in. The real one (libmosquitto)
// runs its network loop on a thread of its own: it reports through the sink
// from that thread, and the bridge hands every report over to the event-loop
// thread (Inbox) before it acts on it.
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mqtt/mqtt_settings.h"

namespace zul::mqtt {

struct ClientOptions {
    BrokerAddress broker;
    std::string caFile; // TLS: "" takes the system's certificates
    std::string username, password;
    std::string clientId;
    bool cleanSession = false; // false: the broker keeps our subscriptions and queued commands
    // How long the broker keeps that session (and the commands it queues)
    // after the connection is lost; 0 ends it with the connection.
    int sessionExpirySeconds = 0;
    int keepAliveSeconds = 30;
    // The last will: published by the broker when the connection breaks.
    std::string willTopic, willPayload;
};

// What the client reports.
struct ClientEvent {
    enum class Kind {
        Connected,    // the broker answered the connect: code 0 accepted, else refused (text says why)
        Disconnected, // the connection ended or could not be made (text says why); the client tries again
        Message,
    };
    Kind kind = Kind::Message;
    int code = 0;
    std::string text;
    std::string topic;
    std::string payload;          // cut to MaxKeptPayload bytes
    std::size_t payloadBytes = 0; // the full length
    bool retained = false;

    static ClientEvent connected(int code, std::string text);
    static ClientEvent disconnected(std::string text);
    // Keeps at most MaxKeptPayload bytes of the payload.
    static ClientEvent message(std::string topic, const char* payload, std::size_t bytes, bool retained);
};

// Payloads are kept up to this length on arrival; the rest is never copied.
inline constexpr std::size_t MaxKeptPayload = 1024;

class MqttClient {
public:
    using Sink = std::function<void(ClientEvent)>;
    virtual ~MqttClient() = default;
    // Starts connecting in the background and keeps the connection, trying
    // again with a growing delay (ReconnectDelay) whenever it is lost. Returns
    // "" or why it cannot start at all (the options are unusable).
    virtual std::string start(const ClientOptions& options, Sink sink) = 0;
    // Says goodbye and ends the network thread: waits (a few seconds at most)
    // until the broker has acknowledged everything published, subscribed or
    // unsubscribed before, then disconnects cleanly, ending the session on the
    // broker (so it queues nothing for a later start). No reports after it returns.
    virtual void stop() = 0;
    // Thread-safe; false when the client is not connected or refused it.
    virtual bool publish(const std::string& topic, const std::string& payload, int qos, bool retain) = 0;
    virtual bool subscribe(const std::string& pattern, int qos) = 0;
    virtual bool unsubscribe(const std::string& pattern) = 0;
};

using ClientFactory = std::function<std::unique_ptr<MqttClient>()>;

// Seconds to wait before each new try after a lost or failed connection:
// 1, 2, 4, 8, 16, 32, then 60 for every further try; reset once connected.
class ReconnectDelay {
public:
    static constexpr int FirstSeconds = 1;
    static constexpr int MaxSeconds = 60;
    int next();
    void reset() { next_ = FirstSeconds; }

private:
    int next_ = FirstSeconds;
};

// The hand-over from the client's thread to the event-loop thread. Bounded:
// when the event loop falls behind, further messages are dropped and counted
// (connection reports are always kept).
class Inbox {
public:
    static constexpr std::size_t MaxMessages = 1000;
    // True when the inbox was empty and took the event: the one push that
    // should see to it that the inbox is emptied.
    bool push(ClientEvent event);
    std::deque<ClientEvent> takeAll();
    // Messages dropped since the last call.
    std::size_t takeDropped();

private:
    std::mutex mutex_;
    std::deque<ClientEvent> events_;
    std::size_t messages_ = 0, dropped_ = 0;
};

} // namespace zul::mqtt
