// The web remote's std-only pieces: request bodies, listen addresses, the
// password's stored form, sessions and the login wait, and the API's routes
// and the rules that guard them.
#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "web/api.h"
#include "web/json_body.h"
#include "web/password.h"
#include "web/web_settings.h"

namespace zul::test {
namespace {

// Not a real key derivation: enough to tell passwords, salts and counts apart.
struct FakeKeys : web::KeyDerivation {
    std::string pbkdf2Sha256(const std::string& password, const std::string& salt, int iterations,
                             std::size_t length) const override {
        std::string out(length, '\0');
        const std::string mixed = password + "|" + salt + "|" + std::to_string(iterations);
        for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(std::hash<std::string>{}(mixed + char(i)));
        return out;
    }
    std::string randomBytes(std::size_t n) const override { return std::string(n, static_cast<char>(++counter)); }
    mutable int counter = 0;
};

TEST(WebBodies, OnlyFlatJsonObjectsAreTaken) {
    std::string error;
    const auto o = web::parseJsonObject(R"( {"command" : "ON", "on":true, "n": -1.5, "x": null, "s":"a\"\u00e9\n"} )", error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(web::stringMember(*o, "command"), "ON");
    EXPECT_EQ(web::boolMember(*o, "on"), true);
    EXPECT_EQ(web::stringMember(*o, "s"), "a\"\xC3\xA9\n");
    EXPECT_EQ(web::stringMember(*o, "on"), std::nullopt); // of another type
    EXPECT_TRUE(web::parseJsonObject("{}", error));
    for (const std::string& bad : std::vector<std::string>{"", "[]", "{", "{\"a\":}", "{\"a\":[1]}", "{\"a\":{}}", "{\"a\":1,}", "{} x",
                                  "{\"a\":\"\x01\"}", "{\"a\":\"\\ud800\"}", "{\"a\":\"\xff\"}", "{a:1}", "{\"a\":tru}",
                                  "{\"a\":\"" + std::string(5000, 'x') + "\"}"}) {
        error.clear();
        EXPECT_FALSE(web::parseJsonObject(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(WebSettings, AddressesArePortsWithAnOptionalHost) {
    std::string error;
    using A = web::ListenAddress;
    EXPECT_EQ(web::parseListenAddress("8081", error), (A{"127.0.0.1", 8081}));
    EXPECT_EQ(web::parseListenAddress(" 0.0.0.0:80 ", error), (A{"0.0.0.0", 80}));
    EXPECT_EQ(web::parseListenAddress("[::1]:9000", error), (A{"::1", 9000}));
    EXPECT_EQ(web::parseListenAddress("localhost:9000", error), (A{"localhost", 9000}));
    for (const char* bad : {"", "0", "65536", "x", ":80", "::1:80", "host name:80", "1.2.3.4:", "80a", "[::1]"}) {
        error.clear();
        EXPECT_FALSE(web::parseListenAddress(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(web::addressText({"::1", 80}), "[::1]:80");
    EXPECT_EQ(web::pageLink({"0.0.0.0", 8080}, "den"), "http://den:8080/");
    EXPECT_EQ(web::pageLink({"127.0.0.1", 8080}, "den"), "http://127.0.0.1:8080/");

    MemorySettings store;
    EXPECT_NE(web::startProblem(web::loadWebSettings(store)).find("no password is set"), std::string::npos);
    EXPECT_FALSE(web::loadWebSettings(store).enabled); // off by default, on loopback
    EXPECT_EQ(web::loadWebSettings(store).address, "127.0.0.1:8080");
}

TEST(WebPassword, OnlyASaltedHashIsKeptAndItIsChecked) {
    FakeKeys keys;
    const std::string a = web::hashPassword(keys, "correct horse", 1000), b = web::hashPassword(keys, "correct horse", 1000);
    EXPECT_EQ(a.rfind("pbkdf2-sha256:1000:", 0), 0u) << a;
    EXPECT_EQ(a.find("correct"), std::string::npos);
    EXPECT_NE(a, b); // each with its own salt
    EXPECT_TRUE(web::isPasswordHash(a));
    EXPECT_TRUE(web::passwordMatches(keys, a, "correct horse"));
    EXPECT_TRUE(web::passwordMatches(keys, b, "correct horse"));
    EXPECT_FALSE(web::passwordMatches(keys, a, "correct horsE"));
    for (const std::string& broken : std::vector<std::string>{"", "correct horse", "pbkdf2-sha256:0:00:" + std::string(64, '0'),
                                     "pbkdf2-sha256:10:zz:" + std::string(64, '0'), "md5:10:00:" + std::string(64, '0'),
                                     a.substr(0, a.size() - 2)})
        EXPECT_FALSE(web::passwordMatches(keys, broken, "correct horse")) << broken;
    EXPECT_EQ(web::passwordProblem("short"), "The password must have at least 8 characters.");
    EXPECT_EQ(web::passwordProblem("long enough"), "");
    EXPECT_NE(web::passwordProblem("bad \xff bytes"), "");
}

TEST(WebSessions, SessionsExpireAndTheOldestGoWrongPasswordsWaitLonger) {
    int n = 0;
    web::SessionStore sessions([&n](std::size_t bytes) { return std::string(bytes, static_cast<char>(++n)); });
    const std::string first = sessions.open(0);
    EXPECT_EQ(first.size(), 64u);
    EXPECT_TRUE(sessions.valid(first, 1000));
    EXPECT_FALSE(sessions.valid(first, std::int64_t{web::SessionStore::SessionSeconds} * 1000));
    const std::string kept = sessions.open(10);
    for (std::size_t i = 1; i < web::SessionStore::MaxSessions + 1; ++i) sessions.open(20);
    EXPECT_FALSE(sessions.valid(kept, 30)); // the oldest went
    EXPECT_EQ(sessions.size(), web::SessionStore::MaxSessions);

    web::LoginThrottle throttle;
    EXPECT_EQ(throttle.waitFor("a", 0), 0);
    std::vector<std::int64_t> waits;
    for (int i = 0; i < 8; ++i) {
        throttle.failed("a", 0);
        waits.push_back(throttle.waitFor("a", 0));
    }
    EXPECT_EQ(waits, (std::vector<std::int64_t>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
    EXPECT_EQ(throttle.waitFor("b", 0), 0); // per address
    EXPECT_EQ(throttle.waitFor("a", 59000), 1000);
    throttle.succeeded("a");
    EXPECT_EQ(throttle.waitFor("a", 0), 0);
}

struct FakeControls : web::RemoteControls {
    std::string stateJson() override { return "{\"state\":1}"; }
    std::string logJson() override { return "{\"log\":[]}"; }
    mqtt::Outcome submit(const mqtt::Request& r) override {
        submitted.push_back(r);
        return next;
    }
    std::vector<mqtt::Request> submitted;
    mqtt::Outcome next;
};

class WebApiTest : public ::testing::Test {
protected:
    web::HttpResponse send(const std::string& method, const std::string& path, const std::string& body = "",
                           std::map<std::string, std::string> headers = {}, std::int64_t at = 0) {
        headers.emplace("host", "127.0.0.1:8080");
        if (method == "POST") headers.emplace("content-type", "application/json");
        if (!cookie.empty()) headers.emplace("cookie", "other=1; " + cookie);
        return api.handle({method, path, headers, body, "10.0.0.9"}, at);
    }
    static std::string header(const web::HttpResponse& r, const std::string& name) {
        for (const auto& [n, v] : r.headers)
            if (n == name) return v;
        return "";
    }
    void logIn() {
        const auto r = send("POST", "/api/login", R"({"password":"right password"})");
        ASSERT_EQ(r.status, 200) << r.body;
        const std::string set = header(r, "Set-Cookie");
        cookie = set.substr(0, set.find(';'));
    }

    FakeControls controls;
    web::WebApi api{controls,
                    {[](const std::string& p) { return p == "right password"; },
                     [](std::size_t n) { return std::string(n, 'r'); }},
                    {{"/index.html", "text/html", "<html>"}}};
    std::string cookie;
};

TEST_F(WebApiTest, LoginSetsAGuardedCookieAndWrongPasswordsAreSlowedDown) {
    EXPECT_EQ(send("GET", "/").body, "<html>"); // the page loads without a login
    EXPECT_EQ(send("GET", "/api/state").status, 401);
    EXPECT_EQ(send("POST", "/api/unit/A3", R"({"command":"ON"})").status, 401);
    auto wrong = send("POST", "/api/login", R"({"password":"guess"})");
    EXPECT_EQ(wrong.status, 401);
    EXPECT_EQ(wrong.body, R"({"error":"wrong password"})");
    auto waiting = send("POST", "/api/login", R"({"password":"right password"})", {}, 500);
    EXPECT_EQ(waiting.status, 429); // even the right one, until the wait is over
    EXPECT_EQ(header(waiting, "Retry-After"), "1");
    const auto r = send("POST", "/api/login", R"({"password":"right password"})", {}, 1000);
    ASSERT_EQ(r.status, 200);
    const std::string set = header(r, "Set-Cookie");
    std::string token;
    for (int i = 0; i < 32; ++i) token += "72"; // the random bytes ('r'), in hex
    EXPECT_EQ(set, "zulmarin_session=" + token + "; Path=/; Max-Age=604800; HttpOnly; SameSite=Strict");
    cookie = set.substr(0, set.find(';'));
    EXPECT_EQ(send("GET", "/api/state").body, "{\"state\":1}");
    EXPECT_EQ(send("GET", "/api/state", "", {}, std::int64_t{7 * 24 * 3600 + 1} * 1000).status, 401); // expired
    cookie = "zulmarin_session=" + std::string(64, 'f');
    EXPECT_EQ(send("GET", "/api/log").status, 401);
}

TEST_F(WebApiTest, CommandsBecomeRequestsAndBadOnesAreRefused) {
    logIn();
    struct Case {
        const char* path;
        const char* body;
        int status;
        const char* asked; // the request submitted, as text
    };
    const Case cases[] = {
        {"/api/unit/A3", R"({"command":"ON"})", 200, "unit A3 ON"},
        {"/api/unit/p16", R"({"command":"dim"})", 200, "unit P16 DIM"},
        {"/api/unit/Q3", R"({"command":"ON"})", 404, ""},
        {"/api/unit/A17", R"({"command":"ON"})", 404, ""},
        {"/api/unit/A3", R"({"command":"TOGGLE"})", 400, ""},
        {"/api/unit/A3", "{\"command\":", 400, ""},
        {"/api/group/8", R"({"command":"OFF"})", 200, "group 8 OFF"},
        {"/api/group/9", R"({"command":"OFF"})", 404, ""},
        {"/api/group/1", R"({"command":"BRI"})", 400, ""},
        {"/api/panic", "", 200, "panic"},
        {"/api/macro", R"({"name":"Evening"})", 200, "macro Evening.cro"},
        {"/api/macro", R"({"name":"../Evening"})", 400, ""},
        {"/api/macro", R"({"name":"/etc/passwd"})", 400, ""},
        {"/api/macro", R"({"name":"C:\\\\x"})", 400, ""},
        {"/api/macro", R"({})", 400, ""},
        {"/api/timers", R"({"on":false})", 200, "timers OFF"},
        {"/api/timers", R"({"on":"yes"})", 400, ""},
        {"/api/nothing", "{}", 404, ""},
        {"/api/unit/A3/x", "{}", 404, ""},
    };
    for (const Case& c : cases) {
        controls.submitted.clear();
        const auto r = send("POST", c.path, c.body);
        EXPECT_EQ(r.status, c.status) << c.path << " " << c.body << ": " << r.body;
        std::string asked;
        for (const mqtt::Request& q : controls.submitted) {
            const char* kinds[] = {"unit", "group", "panic", "macro", "timers", "discovery"};
            asked = kinds[static_cast<int>(q.target)];
            // Appended piece by piece: GCC 12 at -O3 warns on " " + a temporary.
            if (q.target == mqtt::Target::Unit) asked.append(" ").append(app::unitName(q.unit));
            if (q.target == mqtt::Target::Group) asked.append(" ").append(std::to_string(q.group));
            if (q.target == mqtt::Target::Macro) asked.append(" ").append(q.macroFile);
            if (!q.word.empty()) asked.append(" ").append(q.word);
        }
        EXPECT_EQ(asked, c.asked) << c.path << " " << c.body;
        if (c.status != 200) {
            EXPECT_EQ(r.body.rfind("{\"error\":\"", 0), 0u) << r.body;
        }
    }
    // What became of a command decides the answer.
    const std::pair<mqtt::Outcome::Status, int> outcomes[] = {{mqtt::Outcome::Status::Offline, 503},
                                                              {mqtt::Outcome::Status::Busy, 429},
                                                              {mqtt::Outcome::Status::Missing, 404},
                                                              {mqtt::Outcome::Status::Refused, 409}};
    for (const auto& [status, code] : outcomes) {
        controls.next = {status, "kind", "the reason"};
        const auto r = send("POST", "/api/unit/A3", R"({"command":"ON"})");
        EXPECT_EQ(r.status, code);
        EXPECT_EQ(r.body, R"({"error":"the reason"})");
    }
}

TEST_F(WebApiTest, OtherSitesAndOtherContentTypesCannotChangeAnything) {
    logIn();
    const std::map<std::string, std::string> crossSite[] = {
        {{"origin", "http://evil.example"}}, {{"origin", "null"}}, {{"origin", "http://127.0.0.1:8081"}}};
    for (const auto& headers : crossSite) {
        const auto r = send("POST", "/api/unit/A3", R"({"command":"ON"})", headers);
        EXPECT_EQ(r.status, 403) << headers.begin()->second;
    }
    EXPECT_EQ(send("POST", "/api/login", R"({"password":"right password"})", {{"origin", "http://evil.example"}}).status,
              403);
    EXPECT_EQ(send("POST", "/api/unit/A3", R"({"command":"ON"})", {{"content-type", "text/plain"}}).status, 415);
    EXPECT_EQ(send("POST", "/api/panic", "", {{"content-type", "application/x-www-form-urlencoded"}}).status, 415);
    EXPECT_TRUE(controls.submitted.empty());
    EXPECT_EQ(send("POST", "/api/unit/A3", R"({"command":"ON"})", {{"origin", "http://127.0.0.1:8080"}}).status, 200);
    EXPECT_EQ(send("POST", "/api/unit/A3", R"({"command":"ON"})",
                   {{"content-type", "application/json; charset=utf-8"}})
                  .status,
              200);
    EXPECT_EQ(send("DELETE", "/api/state").status, 405);
    EXPECT_EQ(send("GET", "/api/unit/A3").status, 405);
    EXPECT_EQ(send("GET", "/../etc/passwd").status, 404);
    EXPECT_EQ(send("GET", "/index.html/..").status, 404);
    const auto events = send("GET", "/api/events");
    EXPECT_TRUE(events.eventStream);
    EXPECT_EQ(events.body, "event: state\ndata: {\"state\":1}\n\n");
    EXPECT_EQ(header(events, "X-Content-Type-Options"), "nosniff");
    const auto out = send("POST", "/api/logout", "");
    EXPECT_EQ(header(out, "Set-Cookie").rfind("zulmarin_session=;", 0), 0u);
    EXPECT_EQ(send("GET", "/api/state").status, 401);
}

} // namespace
} // namespace zul::test
