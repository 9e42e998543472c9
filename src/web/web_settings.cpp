#include "web/web_settings.h"

#include "platform/text.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"
#include "web/password.h"

namespace zul::web {

namespace {
bool hostCharacters(const std::string& host, bool v6) {
    if (host.empty()) return false;
    const std::string_view allowed = v6 ? "0123456789abcdefABCDEF:." : "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.-";
    return host.find_first_not_of(allowed) == std::string::npos;
}

std::string quoted(const std::string& text) {
    std::string out(1, '\'');
    out += printable(text);
    out += '\'';
    return out;
}
} // namespace

std::optional<ListenAddress> parseListenAddress(const std::string& given, std::string& error) {
    const std::string text = trimBlanks(given);
    ListenAddress a;
    std::string port = text;
    if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        std::string host = text.substr(0, colon);
        port = text.substr(colon + 1);
        const bool v6 = host.size() >= 2 && host.front() == '[' && host.back() == ']';
        if (v6) host = host.substr(1, host.size() - 2);
        if (!hostCharacters(host, v6) || (!v6 && host.find(':') != std::string::npos)) {
            error = quoted(text) + " is not [ADDRESS:]PORT (an IPv6 address goes in brackets: [::1]:8080)";
            return std::nullopt;
        }
        a.host = host;
    }
    const auto number = port.find_first_not_of("0123456789") == std::string::npos ? wholeNumberIn(port) : std::nullopt;
    if (!number || *number < 1 || *number > 65535) {
        error = quoted(text) + " names no port from 1 to 65535";
        return std::nullopt;
    }
    a.port = static_cast<int>(*number);
    return a;
}

std::string addressText(const ListenAddress& a) {
    const bool v6 = a.host.find(':') != std::string::npos;
    return (v6 ? "[" + a.host + "]" : a.host) + ":" + std::to_string(a.port);
}

std::string pageLink(const ListenAddress& a, const std::string& hostName) {
    ListenAddress shown = a;
    if (a.host == "0.0.0.0" || a.host == "::") shown.host = hostName;
    std::string link = "http://";
    link += addressText(shown);
    return link + "/";
}

WebSettings loadWebSettings(const SettingsBackend& settings) {
    WebSettings v;
    v.enabled = trimBlanks(readSetting(settings, Setting::WebRemoteEnabled)) == "1";
    v.address = trimBlanks(readSetting(settings, Setting::WebRemoteAddress));
    v.passwordHash = trimBlanks(readSetting(settings, Setting::WebRemotePassword));
    return v;
}

bool saveWebSettings(SettingsBackend& settings, const WebSettings& v) {
    bool ok = settings.write(Setting::WebRemoteEnabled, v.enabled ? "1" : "0");
    ok = settings.write(Setting::WebRemoteAddress, trimBlanks(v.address)) && ok;
    return settings.write(Setting::WebRemotePassword, v.passwordHash) && ok;
}

std::string startProblem(const WebSettings& v) {
    std::string error;
    if (!parseListenAddress(v.address, error)) return "the address " + error;
    if (v.passwordHash.empty())
        return "no password is set; set one with 'zulmarin remote password' or in Preferences, Web remote";
    if (!isPasswordHash(v.passwordHash))
        return "the stored password cannot be read; set it again with 'zulmarin remote password'";
    return "";
}

} // namespace zul::web
