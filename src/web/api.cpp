#include "web/api.h"

#include <algorithm>

#include "macros/group_file.h"
#include "mqtt/discovery.h"
#include "platform/text.h"
#include "web/json_body.h"

namespace zul::web {

namespace {

HttpResponse reply(int status, std::string body) {
    HttpResponse r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

HttpResponse refuse(int status, const std::string& text) { return reply(status, errorJson(text)); }

const HttpResponse& ok() {
    static const HttpResponse answer = reply(200, "{\"ok\":true}");
    return answer;
}

std::string header(const HttpRequest& r, const std::string& name) {
    const auto it = r.headers.find(name);
    return it == r.headers.end() ? std::string() : it->second;
}

// The session token in the Cookie header, "" when there is none.
std::string sessionToken(const HttpRequest& r) {
    for (const std::string& piece : splitAt(header(r, "cookie"), ";")) {
        const std::string cookie = trimBlanks(piece);
        const std::string prefix = std::string(SessionCookie) + "=";
        if (cookie.rfind(prefix, 0) == 0) return cookie.substr(prefix.size());
    }
    return "";
}

// Why a POST is refused before it is read, or nothing.
std::optional<HttpResponse> postProblem(const HttpRequest& r) {
    const std::string type = asciiLower(trimBlanks(splitAt(header(r, "content-type"), ";").front()));
    if (type != "application/json") return refuse(415, "a request that changes something must be application/json");
    if (!r.headers.count("origin")) return std::nullopt;
    const std::string origin = header(r, "origin");
    const auto scheme = origin.find("://");
    const std::string host = header(r, "host");
    if (scheme == std::string::npos || host.empty() || !equalsNoCase(origin.substr(scheme + 3), host))
        return refuse(403, "requests from another site are refused");
    return std::nullopt;
}

int statusFor(const mqtt::Outcome& o) {
    switch (o.status) {
    case mqtt::Outcome::Status::Accepted: return 200;
    case mqtt::Outcome::Status::Offline: return 503;
    case mqtt::Outcome::Status::Busy: return 429;
    case mqtt::Outcome::Status::Missing: return 404;
    case mqtt::Outcome::Status::Refused: return 409;
    }
    return 500;
}

std::optional<std::string> commandWord(const JsonObject& body, std::initializer_list<const char*> words) {
    const auto word = stringMember(body, "command");
    if (!word) return std::nullopt;
    const std::string upper = asciiUpper(trimBlanks(*word));
    if (std::none_of(words.begin(), words.end(), [&](const char* w) { return upper == w; })) return std::nullopt;
    return upper;
}

} // namespace

std::string serverSentEvent(const std::string& name, const std::string& data) {
    return "event: " + name + "\ndata: " + data + "\n\n";
}

std::string errorJson(const std::string& text) { return "{\"error\":" + mqtt::jsonString(printable(text)) + "}"; }

// A command under /api/: the path's last piece and the body, as a request.
struct WebApi::Route {
    std::string kind, name;
    mqtt::Request request;
};

WebApi::WebApi(RemoteControls& controls, Hooks hooks, std::vector<Asset> assets)
    : controls_(controls), hooks_(std::move(hooks)), assets_(std::move(assets)), sessions_(hooks_.randomBytes) {}

HttpResponse WebApi::handle(const HttpRequest& r, std::int64_t nowMs) {
    HttpResponse out = route(r, nowMs);
    // Nothing of the remote is shown inside another site's page, run from elsewhere or kept in a cache.
    out.headers.emplace_back("Content-Security-Policy",
                             "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'self'");
    out.headers.emplace_back("X-Content-Type-Options", "nosniff");
    out.headers.emplace_back("Referrer-Policy", "no-referrer");
    out.headers.emplace_back("Cache-Control", "no-store");
    return out;
}

HttpResponse WebApi::route(const HttpRequest& r, std::int64_t nowMs) {
    if (r.method != "GET" && r.method != "POST") return refuse(405, "only GET and POST are taken");
    if (r.path.rfind("/api/", 0) != 0) return asset(r);
    if (r.method == "POST")
        if (auto problem = postProblem(r)) return *problem;
    if (r.path == "/api/login") return r.method == "POST" ? login(r, nowMs) : refuse(405, "log in with POST");
    if (!loggedIn(r, nowMs)) return refuse(401, "log in first");
    const bool get = r.method == "GET";
    if (r.path == "/api/state" && get) return reply(200, controls_.stateJson());
    if (r.path == "/api/log" && get) return reply(200, controls_.logJson());
    if (r.path == "/api/events" && get) {
        HttpResponse events = reply(200, serverSentEvent("state", controls_.stateJson()));
        events.contentType = "text/event-stream";
        events.eventStream = true;
        return events;
    }
    if (r.path == "/api/logout" && !get) {
        sessions_.close(sessionToken(r));
        HttpResponse out = ok();
        out.headers.emplace_back("Set-Cookie", std::string(SessionCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict");
        return out;
    }
    const auto pieces = splitAt(r.path.substr(5), "/");
    Route route{pieces.front(), pieces.size() > 1 ? pieces[1] : "", {}};
    const bool knownPath = (pieces.size() == 2 && (route.kind == "unit" || route.kind == "group")) ||
                           (pieces.size() == 1 && (route.kind == "panic" || route.kind == "macro" || route.kind == "timers"));
    if (!knownPath) return refuse(404, "there is no " + r.path);
    if (get) return refuse(405, r.path + " takes POST");
    return command(route, r);
}

HttpResponse WebApi::login(const HttpRequest& r, std::int64_t nowMs) {
    if (const std::int64_t wait = throttle_.waitFor(r.peer, nowMs)) {
        const std::string seconds = std::to_string((wait + 999) / 1000);
        HttpResponse out = refuse(429, "too many wrong passwords; try again in " + seconds + " s");
        out.headers.emplace_back("Retry-After", seconds);
        return out;
    }
    std::string error;
    const auto body = parseJsonObject(r.body, error);
    if (!body) return refuse(400, error);
    const auto password = stringMember(*body, "password");
    if (!password) return refuse(400, "the body needs \"password\"");
    if (!hooks_.passwordMatches || !hooks_.passwordMatches(*password)) {
        throttle_.failed(r.peer, nowMs);
        return refuse(401, "wrong password");
    }
    throttle_.succeeded(r.peer);
    HttpResponse out = ok();
    // Secure when a TLS proxy in front says the browser came by HTTPS.
    const bool secure = equalsNoCase(header(r, "x-forwarded-proto"), "https");
    out.headers.emplace_back("Set-Cookie", std::string(SessionCookie) + "=" + sessions_.open(nowMs) +
                                               "; Path=/; Max-Age=" + std::to_string(SessionStore::SessionSeconds) +
                                               "; HttpOnly; SameSite=Strict" + (secure ? "; Secure" : ""));
    return out;
}

bool WebApi::loggedIn(const HttpRequest& r, std::int64_t nowMs) {
    const std::string token = sessionToken(r);
    return !token.empty() && sessions_.valid(token, nowMs);
}

HttpResponse WebApi::command(const Route& route, const HttpRequest& r) {
    std::string error;
    const auto parsed = trimBlanks(r.body).empty() ? std::optional(JsonObject{}) : parseJsonObject(r.body, error);
    if (!parsed) return refuse(400, error);
    const JsonObject& body = *parsed;
    mqtt::Request q;
    if (route.kind == "unit") {
        const auto unit = app::parseUnitAddress(asciiUpper(route.name));
        if (!unit) return refuse(404, "there is no unit " + route.name + " (A1 to P16)");
        const auto word = commandWord(body, {"ON", "OFF", "BRI", "DIM"});
        if (!word) return refuse(400, "\"command\" must be ON, OFF, BRI or DIM");
        q.target = mqtt::Target::Unit;
        q.unit = *unit;
        q.word = *word;
    } else if (route.kind == "group") {
        const auto number = route.name.size() == 1 ? wholeNumberIn(route.name) : std::nullopt;
        if (!number || *number < 1 || *number > macros::kGroupCount) return refuse(404, "there is no group " + route.name + " (1 to 8)");
        const auto word = commandWord(body, {"ON", "OFF"});
        if (!word) return refuse(400, "\"command\" must be ON or OFF");
        q.target = mqtt::Target::Group;
        q.group = static_cast<int>(*number);
        q.word = *word;
    } else if (route.kind == "panic") {
        q.target = mqtt::Target::Panic;
    } else if (route.kind == "macro") {
        std::string name = trimBlanks(stringMember(body, "name").value_or(""));
        if (!name.empty() && !endsWithNoCase(name, ".cro")) name += ".cro";
        if (const std::string why = mqtt::macroNameProblem(name); !why.empty()) return refuse(400, "macro name: " + why);
        q.target = mqtt::Target::Macro;
        q.macroFile = name;
    } else {
        const auto on = boolMember(body, "on");
        if (!on) return refuse(400, "the body needs \"on\": true or false");
        q.target = mqtt::Target::Timers;
        q.word = *on ? "ON" : "OFF";
    }
    const mqtt::Outcome outcome = controls_.submit(q);
    return outcome.accepted() ? ok() : refuse(statusFor(outcome), outcome.message);
}

HttpResponse WebApi::asset(const HttpRequest& r) const {
    const std::string path = r.path == "/" ? "/index.html" : r.path;
    const auto it = std::find_if(assets_.begin(), assets_.end(), [&](const Asset& a) { return a.path == path; });
    if (it == assets_.end()) return refuse(404, "there is no " + r.path);
    if (r.method == "POST") return refuse(405, r.path + " takes GET");
    HttpResponse out = reply(200, it->body);
    out.contentType = it->contentType;
    return out;
}

} // namespace zul::web
