#pragma once
// The "WebRemote" settings: whether the remote runs, the address it listens
// on ("127.0.0.1:8080" unless the user names another) and the stored form of
// its password (web/password.h).
#include <optional>
#include <string>

namespace zul {
class SettingsBackend;
}

namespace zul::web {

inline constexpr const char* DefaultHost = "127.0.0.1";
inline constexpr int DefaultPort = 8080;

struct ListenAddress {
    std::string host = DefaultHost; // an IPv4 address, an IPv6 one (without brackets) or "localhost"
    int port = DefaultPort;
    friend bool operator==(const ListenAddress&, const ListenAddress&) = default;
};

// "[ADDR:]PORT": "8080", "0.0.0.0:8080", "[::1]:8080". nullopt with error set
// when the text is not such an address.
std::optional<ListenAddress> parseListenAddress(const std::string& text, std::string& error);
// "127.0.0.1:8080", "[::1]:8080".
std::string addressText(const ListenAddress& a);
// The address to open in a browser: "http://127.0.0.1:8080/"; an address
// that listens everywhere shows as the given host name.
std::string pageLink(const ListenAddress& a, const std::string& hostName);

struct WebSettings {
    bool enabled = false;
    std::string address = "127.0.0.1:8080";
    std::string passwordHash;
};

WebSettings loadWebSettings(const SettingsBackend& settings);
// False when the file could not be written.
bool saveWebSettings(SettingsBackend& settings, const WebSettings& values);

// Why the remote cannot start with these settings ("" when it can).
std::string startProblem(const WebSettings& values);

} // namespace zul::web
