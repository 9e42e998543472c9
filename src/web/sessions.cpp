#include "web/sessions.h"

#include <algorithm>

namespace zul::web {

namespace {
std::string hex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}
} // namespace

std::string SessionStore::open(std::int64_t nowMs) {
    std::erase_if(sessions_, [nowMs](const auto& s) { return s.second <= nowMs; });
    while (sessions_.size() >= MaxSessions)
        sessions_.erase(std::min_element(sessions_.begin(), sessions_.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; }));
    std::string token = hex(random_(TokenBytes));
    sessions_[token] = nowMs + std::int64_t{SessionSeconds} * 1000;
    return token;
}

bool SessionStore::valid(const std::string& token, std::int64_t nowMs) {
    const auto it = sessions_.find(token);
    if (it == sessions_.end()) return false;
    if (it->second > nowMs) return true;
    sessions_.erase(it);
    return false;
}

std::int64_t LoginThrottle::waitFor(const std::string& address, std::int64_t nowMs) const {
    const auto it = entries_.find(address);
    return it == entries_.end() ? 0 : std::max<std::int64_t>(0, it->second.until - nowMs);
}

void LoginThrottle::failed(const std::string& address, std::int64_t nowMs) {
    if (!entries_.count(address) && entries_.size() >= MaxAddresses) {
        std::erase_if(entries_, [nowMs](const auto& e) { return e.second.until <= nowMs; });
        if (entries_.size() >= MaxAddresses)
            entries_.erase(std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
                return a.second.until < b.second.until;
            }));
    }
    Entry& e = entries_[address];
    e.failures = std::min(e.failures + 1, 30);
    e.until = nowMs + std::min(FirstDelayMs << (e.failures - 1), MaxDelayMs);
}

} // namespace zul::web
