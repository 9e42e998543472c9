#pragma once
// Who is logged in to the web remote, and how long a wrong password makes
// its sender wait.
//
// A session is a random token (the cookie's value) that lasts
// SessionSeconds from the login; at most MaxSessions are kept, the oldest
// going first. Times are milliseconds on any steady clock.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace zul::web {

class SessionStore {
public:
    static constexpr int SessionSeconds = 7 * 24 * 3600;
    static constexpr std::size_t MaxSessions = 64;
    static constexpr std::size_t TokenBytes = 32;

    // random(n): n bytes from the system's source of randomness.
    explicit SessionStore(std::function<std::string(std::size_t)> random) : random_(std::move(random)) {}

    // A new session's token (hexadecimal).
    std::string open(std::int64_t nowMs);
    bool valid(const std::string& token, std::int64_t nowMs);
    void close(const std::string& token) { sessions_.erase(token); }
    void closeAll() { sessions_.clear(); }
    std::size_t size() const { return sessions_.size(); }

private:
    std::function<std::string(std::size_t)> random_;
    std::map<std::string, std::int64_t> sessions_; // token -> when it expires
};

// A growing wait after each wrong password from one address: 1 s after the
// first, doubling up to MaxDelayMs; a right one clears it. At most
// MaxAddresses are remembered (those whose wait is over go first).
class LoginThrottle {
public:
    static constexpr std::int64_t FirstDelayMs = 1000;
    static constexpr std::int64_t MaxDelayMs = 60 * 1000;
    static constexpr std::size_t MaxAddresses = 1024;

    // Milliseconds the address must still wait before it may try; 0 when it may.
    std::int64_t waitFor(const std::string& address, std::int64_t nowMs) const;
    void failed(const std::string& address, std::int64_t nowMs);
    void succeeded(const std::string& address) { entries_.erase(address); }

private:
    struct Entry {
        int failures = 0;
        std::int64_t until = 0;
    };
    std::map<std::string, Entry> entries_;
};

} // namespace zul::web
