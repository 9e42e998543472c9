#pragma once
// The web remote's requests and answers: the page, the JSON API under
// /api/ and the rules that guard them. Nothing here knows HTTP's wire
// format; the server in front hands over requests it has read and writes
// back the answers.
//
//   GET  /  /remote.js  /remote.css    the page (no login needed to load it)
//   POST /api/login    {"password": "..."}    sets the session cookie
//   POST /api/logout
//   GET  /api/state    units, groups, panic button, macros, timers, loop timer
//   GET  /api/log      the timer log
//   GET  /api/events   server-sent events: "state" (as /api/state) and "log" (one entry)
//   POST /api/unit/A3  {"command": "ON"}    ON, OFF, BRI, DIM
//   POST /api/group/1  {"command": "ON"}    ON, OFF
//   POST /api/panic
//   POST /api/macro    {"name": "Evening"}
//   POST /api/timers   {"on": true}
//
// Every answer but the page and the event stream is JSON; a refusal is
// {"error": "..."} on one line. A POST must be application/json, and when
// it carries an Origin it must be the remote's own (the Host it was sent
// to), so that no other site's page can switch a light through a browser
// that is logged in. Wrong passwords make their address wait (LoginThrottle).
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mqtt/bridge.h"
#include "web/sessions.h"

namespace zul::web {

inline constexpr const char* SessionCookie = "zulmarin_session";

struct HttpRequest {
    std::string method;                         // "GET", "POST"
    std::string path;                           // without the query
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    std::string peer; // the client's address
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    bool eventStream = false; // keep the connection for server-sent events
};

// What the API reads and sets.
class RemoteControls {
public:
    virtual ~RemoteControls() = default;
    virtual std::string stateJson() = 0;
    virtual std::string logJson() = 0;
    virtual mqtt::Outcome submit(const mqtt::Request& request) = 0;
};

// A page file served as it is.
struct Asset {
    std::string path, contentType, body;
};

// "event: NAME\ndata: DATA\n\n"; data is one line of JSON.
std::string serverSentEvent(const std::string& name, const std::string& data);
// {"error":"TEXT"}
std::string errorJson(const std::string& text);

class WebApi {
public:
    struct Hooks {
        std::function<bool(const std::string& password)> passwordMatches;
        std::function<std::string(std::size_t)> randomBytes;
    };
    WebApi(RemoteControls& controls, Hooks hooks, std::vector<Asset> assets);

    HttpResponse handle(const HttpRequest& request, std::int64_t nowMs);
    // The password changed: every browser logs in again.
    void logOutAll() { sessions_.closeAll(); }

private:
    struct Route;
    HttpResponse route(const HttpRequest& request, std::int64_t nowMs);
    HttpResponse login(const HttpRequest& request, std::int64_t nowMs);
    HttpResponse command(const Route& route, const HttpRequest& request);
    HttpResponse asset(const HttpRequest& request) const;
    bool loggedIn(const HttpRequest& request, std::int64_t nowMs);

    RemoteControls& controls_;
    Hooks hooks_;
    std::vector<Asset> assets_;
    SessionStore sessions_;
    LoginThrottle throttle_;
};

} // namespace zul::web
