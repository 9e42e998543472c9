#include "mqtt/mosquitto/mosquitto_client.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <netdb.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace zul::mqtt {

namespace {
constexpr int LoopTimeoutMs = 100;
// A clean stop waits this long for the broker to acknowledge what was sent
// before it, then this long for the disconnect to go out; stop() waits for
// both, and for a connection attempt that is still under way (a blocking
// connect or name lookup), at most StopWait.
constexpr auto AcknowledgeTime = std::chrono::seconds(2);
constexpr auto DisconnectTime = std::chrono::seconds(1);
constexpr auto StopWait = std::chrono::seconds(4);
constexpr const char* SystemCertificates = "/etc/ssl/certs";

using Clock = std::chrono::steady_clock;

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string withoutFullStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

// Why a connection could not be made or was lost, in words a user can act on.
// error is errno as it stood right after the failing call.
std::string failureText(int rc, int error, const std::string& tlsDetail) {
    if (rc == MOSQ_ERR_ERRNO) {
        switch (error) {
        case 0: return "the connection failed";
        case ECONNREFUSED: return "connection refused: nothing listens on that port";
        case ETIMEDOUT: return "timed out: no answer from that address";
        case EHOSTUNREACH:
        case ENETUNREACH: return "no route to that address";
        case ECONNRESET:
        case EPIPE: return "the broker closed the connection";
        default: return std::strerror(error);
        }
    }
    if (rc == MOSQ_ERR_EAI) return std::string("the broker's name cannot be looked up (") + gai_strerror(error) + ")";
    if (rc == MOSQ_ERR_TLS && !tlsDetail.empty()) return "TLS failed: " + tlsDetail;
    if (rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NO_CONN) return "the connection was lost";
    if (rc == MOSQ_ERR_KEEPALIVE) return "the broker stopped answering";
    return withoutFullStop(mosquitto_strerror(rc));
}

// "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed"
// -> "certificate verify failed".
std::string openSslReason(const char* line) {
    const std::string text = line ? line : "";
    if (text.rfind("OpenSSL Error", 0) != 0) return "";
    const auto colon = text.find_last_of(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}
} // namespace

struct MosquittoClient::Shared {
    mosquitto* mosq = nullptr;
    ClientOptions options;
    std::mutex mutex;
    std::condition_variable wake;
    Sink sink;
    bool stopping = false;
    bool finished = false;
    std::string tlsDetail;               // the last TLS failure the library logged
    std::atomic<bool> connected = false; // the broker accepted the connection
    std::atomic<bool> toldLoss = false;  // this attempt's failure was reported
    std::atomic<int> unacknowledged = 0; // publications, subscriptions and removals without their answer
    ReconnectDelay delay;

    ~Shared() {
        if (mosq) mosquitto_destroy(mosq);
    }
    void report(ClientEvent event) {
        std::unique_lock<std::mutex> lock(mutex);
        const Sink s = sink;
        lock.unlock();
        if (s) s(std::move(event));
    }
    void reportFailure(int rc, int error) {
        std::unique_lock<std::mutex> lock(mutex);
        const std::string detail = tlsDetail;
        lock.unlock();
        toldLoss = true;
        report(ClientEvent::disconnected(failureText(rc, error, detail)));
    }
    bool shouldStop() {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }
    void acknowledged() {
        for (int n = unacknowledged; n > 0 && !unacknowledged.compare_exchange_weak(n, n - 1);) {}
    }
    // Waits before the next try; false when the client stops meanwhile.
    bool waitToRetry() {
        std::unique_lock<std::mutex> lock(mutex);
        return !wake.wait_for(lock, std::chrono::seconds(delay.next()), [this] { return stopping; });
    }
    // Runs the network loop while keepGoing holds, until end at the latest.
    template <class Condition>
    void loopWhile(Condition keepGoing, Clock::time_point end) {
        while (keepGoing() && Clock::now() < end && mosquitto_loop(mosq, LoopTimeoutMs / 2, 1) == MOSQ_ERR_SUCCESS) {}
    }
    int connect();
    void run();
    void sayGoodbye();
    void setCallbacks();
};

int MosquittoClient::Shared::connect() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        tlsDetail.clear();
    }
    toldLoss = false;
    mosquitto_property* properties = nullptr;
    if (options.sessionExpirySeconds > 0)
        mosquitto_property_add_int32(&properties, MQTT_PROP_SESSION_EXPIRY_INTERVAL,
                                     static_cast<std::uint32_t>(options.sessionExpirySeconds));
    const auto& b = options.broker;
    errno = 0;
    const int rc =
        mosquitto_connect_bind_v5(mosq, b.host.c_str(), b.port, options.keepAliveSeconds, nullptr, properties);
    const int error = errno;
    mosquitto_property_free_all(&properties);
    if (rc != MOSQ_ERR_SUCCESS) reportFailure(rc, error);
    return rc;
}

void MosquittoClient::Shared::run() {
    while (!shouldStop()) {
        if (connect() == MOSQ_ERR_SUCCESS) {
            int rc = MOSQ_ERR_SUCCESS;
            while (!shouldStop() && (rc = mosquitto_loop(mosq, LoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {}
            if (shouldStop()) break;
            // Every failure the loop meets is told, also one before the broker
            // answered (a TLS handshake that fails).
            if (!toldLoss) reportFailure(rc, errno);
        }
        connected = false;
        if (!waitToRetry()) break;
    }
    sayGoodbye();
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    wake.notify_all();
}

// What was sent before the stop is acknowledged (unsubscriptions, the
// "offline" status), then a clean disconnect that ends the session: the
// broker keeps the last will to itself and queues nothing for us.
void MosquittoClient::Shared::sayGoodbye() {
    if (!connected) return;
    loopWhile([this] { return unacknowledged > 0; }, Clock::now() + AcknowledgeTime);
    mosquitto_property* properties = nullptr;
    mosquitto_property_add_int32(&properties, MQTT_PROP_SESSION_EXPIRY_INTERVAL, 0);
    mosquitto_disconnect_v5(mosq, MQTT_RC_NORMAL_DISCONNECTION, properties);
    mosquitto_property_free_all(&properties);
    loopWhile([this] { return connected.load(); }, Clock::now() + DisconnectTime);
}

void MosquittoClient::Shared::setCallbacks() {
    mosquitto_connect_v5_callback_set(mosq, [](mosquitto*, void* self, int code, int, const mosquitto_property*) {
        auto* sh = static_cast<Shared*>(self);
        sh->connected = code == 0;
        sh->toldLoss = code != 0;
        if (code == 0) {
            sh->delay.reset();
            sh->unacknowledged = 0;
        }
        sh->report(ClientEvent::connected(code, code == 0 ? "" : withoutFullStop(mosquitto_reason_string(code))));
    });
    mosquitto_disconnect_v5_callback_set(mosq, [](mosquitto*, void* self, int code, const mosquitto_property*) {
        auto* sh = static_cast<Shared*>(self);
        const int error = errno;
        sh->connected = false;
        if (code == 0) sh->report(ClientEvent::disconnected("disconnected"));
        else if (!sh->toldLoss) sh->reportFailure(code, error);
    });
    mosquitto_message_callback_set(mosq, [](mosquitto*, void* self, const mosquitto_message* m) {
        static_cast<Shared*>(self)->report(ClientEvent::message(m->topic ? m->topic : "",
                                                                static_cast<const char*>(m->payload),
                                                                static_cast<std::size_t>(m->payloadlen), m->retain));
    });
    mosquitto_publish_callback_set(mosq,
                                   [](mosquitto*, void* self, int) { static_cast<Shared*>(self)->acknowledged(); });
    mosquitto_subscribe_callback_set(
        mosq, [](mosquitto*, void* self, int, int, const int*) { static_cast<Shared*>(self)->acknowledged(); });
    mosquitto_unsubscribe_callback_set(mosq,
                                       [](mosquitto*, void* self, int) { static_cast<Shared*>(self)->acknowledged(); });
    mosquitto_log_callback_set(mosq, [](mosquitto*, void* self, int level, const char* line) {
        if (level != MOSQ_LOG_ERR) return;
        const std::string reason = openSslReason(line);
        if (reason.empty()) return;
        auto* sh = static_cast<Shared*>(self);
        std::lock_guard<std::mutex> lock(sh->mutex);
        sh->tlsDetail = reason;
    });
}

MosquittoClient::MosquittoClient() : shared_(std::make_shared<Shared>()) { initLibrary(); }

MosquittoClient::~MosquittoClient() { stop(); }

std::string MosquittoClient::start(const ClientOptions& options, Sink sink) {
    Shared& s = *shared_;
    if (s.mosq) return "the client is already running";
    s.options = options;
    s.sink = std::move(sink);
    s.mosq = mosquitto_new(options.clientId.c_str(), options.cleanSession, &s);
    if (!s.mosq) return std::string("cannot make an MQTT client: ") + std::strerror(errno);
    mosquitto_int_option(s.mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_threaded_set(s.mosq, true);
    int rc = MOSQ_ERR_SUCCESS;
    if (!options.username.empty())
        rc = mosquitto_username_pw_set(s.mosq, options.username.c_str(),
                                       options.password.empty() ? nullptr : options.password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && !options.willTopic.empty())
        rc = mosquitto_will_set(s.mosq, options.willTopic.c_str(), static_cast<int>(options.willPayload.size()),
                                options.willPayload.data(), 1, true);
    if (rc == MOSQ_ERR_SUCCESS && options.broker.tls) {
        const bool ownCa = !options.caFile.empty();
        rc = mosquitto_tls_set(s.mosq, ownCa ? options.caFile.c_str() : nullptr, ownCa ? nullptr : SystemCertificates,
                               nullptr, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) return withoutFullStop(mosquitto_strerror(rc));
    s.setCallbacks();
    thread_ = std::thread([shared = shared_] { shared->run(); });
    return "";
}

void MosquittoClient::stop() {
    if (!thread_.joinable()) return;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stopping = true;
    shared_->sink = nullptr;
    shared_->wake.notify_all();
    // A connect that hangs (an unanswered address, a slow name lookup) is left
    // to end on its own: the thread owns what it still uses.
    if (shared_->wake.wait_for(lock, StopWait, [this] { return shared_->finished; })) {
        lock.unlock();
        thread_.join();
    } else {
        lock.unlock();
        thread_.detach();
    }
}

namespace {
// Counts a request that the broker will answer, while it is sent.
template <class Send>
bool counted(MosquittoClient::Shared& s, bool answered, Send send) {
    if (!s.mosq) return false;
    if (answered) ++s.unacknowledged;
    const bool ok = send() == MOSQ_ERR_SUCCESS;
    if (answered && !ok) s.acknowledged();
    return ok;
}
} // namespace

bool MosquittoClient::publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    return counted(*shared_, qos > 0, [&] {
        return mosquitto_publish(shared_->mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                                 payload.data(), qos, retain);
    });
}

bool MosquittoClient::subscribe(const std::string& pattern, int qos) {
    return counted(*shared_, true, [&] { return mosquitto_subscribe(shared_->mosq, nullptr, pattern.c_str(), qos); });
}

bool MosquittoClient::unsubscribe(const std::string& pattern) {
    return counted(*shared_, true, [&] { return mosquitto_unsubscribe(shared_->mosq, nullptr, pattern.c_str()); });
}

} // namespace zul::mqtt
