#include "platform/qt/mosquitto_client.h"

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace zul::qt {

namespace {
constexpr int LoopTimeoutMs = 100;
// How long a clean stop may take to say goodbye, and to wait for a
// connection attempt that is still under way (a blocking connect or name lookup).
constexpr auto GoodbyeTime = std::chrono::seconds(1);
constexpr auto StopWait = std::chrono::seconds(2);
constexpr const char* SystemCertificates = "/etc/ssl/certs";

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string errorText(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
    return mosquitto_strerror(rc);
}
} // namespace

struct MosquittoClient::Shared {
    mosquitto* mosq = nullptr;
    mqtt::ClientOptions options;
    std::mutex mutex;
    std::condition_variable wake;
    Sink sink;
    bool stopping = false;
    bool finished = false;
    bool connected = false;  // the broker accepted the connection
    mqtt::ReconnectDelay delay;

    ~Shared() {
        if (mosq) mosquitto_destroy(mosq);
    }
    void report(mqtt::ClientEvent event) {
        std::unique_lock<std::mutex> lock(mutex);
        const Sink s = sink;
        lock.unlock();
        if (s) s(std::move(event));
    }
    bool shouldStop() {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }
    // Waits before the next try; false when the client stops meanwhile.
    bool waitToRetry() {
        std::unique_lock<std::mutex> lock(mutex);
        return !wake.wait_for(lock, std::chrono::seconds(delay.next()), [this] { return stopping; });
    }
    void run();
    void sayGoodbye();
};

void MosquittoClient::Shared::run() {
    while (!shouldStop()) {
        const auto& b = options.broker;
        int rc = mosquitto_connect(mosq, b.host.c_str(), b.port, options.keepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS) {
            report(mqtt::ClientEvent::disconnected(errorText(rc)));
        } else {
            while (!shouldStop() && (rc = mosquitto_loop(mosq, LoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {
            }
            if (shouldStop()) break;
        }
        connected = false;
        if (!waitToRetry()) break;
    }
    sayGoodbye();
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    wake.notify_all();
}

// Whatever was published before the stop goes out, then a clean disconnect
// (so the broker keeps the last will to itself).
void MosquittoClient::Shared::sayGoodbye() {
    if (!connected) return;
    mosquitto_disconnect(mosq);
    const auto end = std::chrono::steady_clock::now() + GoodbyeTime;
    while (std::chrono::steady_clock::now() < end && mosquitto_loop(mosq, LoopTimeoutMs, 1) == MOSQ_ERR_SUCCESS) {
    }
}

MosquittoClient::MosquittoClient() : shared_(std::make_shared<Shared>()) { initLibrary(); }

MosquittoClient::~MosquittoClient() { stop(); }

std::string MosquittoClient::start(const mqtt::ClientOptions& options, Sink sink) {
    Shared& s = *shared_;
    if (s.mosq) return "the client is already running";
    s.options = options;
    s.sink = std::move(sink);
    s.mosq = mosquitto_new(options.clientId.c_str(), options.cleanSession, &s);
    if (!s.mosq) return std::string("cannot make an MQTT client: ") + std::strerror(errno);
    mosquitto_int_option(s.mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
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
    if (rc != MOSQ_ERR_SUCCESS) return errorText(rc);
    mosquitto_connect_callback_set(s.mosq, [](mosquitto*, void* self, int code) {
        auto* sh = static_cast<Shared*>(self);
        sh->connected = code == 0;
        if (code == 0) sh->delay.reset();
        sh->report(mqtt::ClientEvent::connected(code, mosquitto_connack_string(code)));
    });
    mosquitto_disconnect_callback_set(s.mosq, [](mosquitto*, void* self, int code) {
        auto* sh = static_cast<Shared*>(self);
        sh->connected = false;
        sh->report(mqtt::ClientEvent::disconnected(code == 0 ? "disconnected" : errorText(code)));
    });
    mosquitto_message_callback_set(s.mosq, [](mosquitto*, void* self, const mosquitto_message* m) {
        static_cast<Shared*>(self)->report(mqtt::ClientEvent::message(
            m->topic ? m->topic : "", static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen),
            m->retain));
    });
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

bool MosquittoClient::publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    if (!shared_->mosq) return false;
    return mosquitto_publish(shared_->mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(),
                             qos, retain) == MOSQ_ERR_SUCCESS;
}

bool MosquittoClient::subscribe(const std::string& pattern, int qos) {
    if (!shared_->mosq) return false;
    return mosquitto_subscribe(shared_->mosq, nullptr, pattern.c_str(), qos) == MOSQ_ERR_SUCCESS;
}

bool MosquittoClient::unsubscribe(const std::string& pattern) {
    if (!shared_->mosq) return false;
    return mosquitto_unsubscribe(shared_->mosq, nullptr, pattern.c_str()) == MOSQ_ERR_SUCCESS;
}

} // namespace zul::qt
