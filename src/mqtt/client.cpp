#include "mqtt/client.h"

#include <algorithm>
#include <utility>

namespace zul::mqtt {

ClientEvent ClientEvent::connected(int code, std::string text) {
    ClientEvent e;
    e.kind = Kind::Connected;
    e.code = code;
    e.text = std::move(text);
    return e;
}

ClientEvent ClientEvent::disconnected(std::string text) {
    ClientEvent e;
    e.kind = Kind::Disconnected;
    e.text = std::move(text);
    return e;
}

ClientEvent ClientEvent::message(std::string topic, const char* payload, std::size_t bytes, bool retained) {
    ClientEvent e;
    e.topic = std::move(topic);
    e.payload.assign(payload ? payload : "", payload ? std::min(bytes, MaxKeptPayload) : 0);
    e.payloadBytes = bytes;
    e.retained = retained;
    return e;
}

int ReconnectDelay::next() {
    const int now = next_;
    next_ = std::min(next_ * 2, MaxSeconds);
    return now;
}

bool Inbox::push(ClientEvent event) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool message = event.kind == ClientEvent::Kind::Message;
    if (message && messages_ >= MaxMessages) {
        ++dropped_;
        return false;
    }
    if (message) ++messages_;
    events_.push_back(std::move(event));
    return events_.size() == 1;
}

std::deque<ClientEvent> Inbox::takeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_ = 0;
    return std::exchange(events_, {});
}

std::size_t Inbox::takeDropped() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(dropped_, 0);
}

} // namespace zul::mqtt
