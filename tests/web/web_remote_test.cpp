// The web remote on the whole program in virtual time, behind a server the
// test plays: when it listens, what a logged-in page gets and sets, and the
// state and log events that reach open pages after each change.
#include "app/app_fixture.h"
#include "app/timers_switch.h"
#include "mqtt/bridge.h"
#include "support/fake_mqtt.h"
#include "web/password.h"
#include "web/web_remote.h"
#include "web/web_settings.h"

namespace zul::test {
namespace {

// Not a real key derivation: the password and the salt, padded.
struct PlainKeys : web::KeyDerivation {
    std::string pbkdf2Sha256(const std::string& password, const std::string& salt, int,
                             std::size_t length) const override {
        std::string out = password + salt;
        out.resize(length, '.');
        return out;
    }
    std::string randomBytes(std::size_t n) const override { return std::string(n, 'r'); }
};

struct FakeServer : web::HttpServer {
    std::string listen(const std::string& h, int p, Handler handler) override {
        host = h;
        port_ = p;
        handle = std::move(handler);
        return "";
    }
    int port() const override { return port_; }
    void sendEvent(const std::string& event) override { events.push_back(event); }
    std::size_t eventStreams() const override { return streams; }

    std::string host;
    int port_ = 0;
    Handler handle;
    std::vector<std::string> events;
    std::size_t streams = 0;
};

class WebRemoteTest : public AppFixture {
protected:
    void setRemote(const std::string& password) {
        const std::string hash = password.empty() ? "" : web::hashPassword(keys, password, 10);
        ASSERT_TRUE(web::saveWebSettings(app->settings, {true, "127.0.0.1:8080", hash}));
    }
    web::HttpResponse request(const std::string& method, const std::string& path, const std::string& body = "") {
        std::map<std::string, std::string> headers{{"host", "127.0.0.1:8080"}};
        if (method == "POST") headers.emplace("content-type", "application/json");
        if (!cookie.empty()) headers.emplace("cookie", cookie);
        web::HttpResponse r = server->handle({method, path, headers, body, "127.0.0.1"});
        for (const auto& [name, value] : r.headers)
            if (name == "Set-Cookie") cookie = value.substr(0, value.find(';'));
        if (r.eventStream) ++server->streams;
        return r;
    }
    bool eventHas(const std::string& text) const {
        return std::any_of(server->events.begin(), server->events.end(),
                           [&](const std::string& e) { return e.find(text) != std::string::npos; });
    }

    PlainKeys keys;
    FakeBroker broker;
    FakeServer* server = nullptr;
    std::string cookie;
};

TEST_F(WebRemoteTest, ListensOnlyWithAPasswordAndKeepsOpenPagesUpToDate) {
    presetRecord(19, "B3## Porch light");
    startRunning();
    mqtt::MqttBridge bridge(*app, fakeClientFactory(broker), mqtt::DeviceInfo{"den-pc", "1.0.0"});
    web::WebRemote remote(*app, bridge,
                          [this] {
                              auto made = std::make_unique<FakeServer>();
                              server = made.get();
                              return made;
                          },
                          keys, {});

    EXPECT_TRUE(remote.start()); // off by default: nothing listens, and that is no fault
    EXPECT_FALSE(remote.running());
    setRemote("");
    EXPECT_FALSE(remote.start());
    EXPECT_EQ(remote.status(), "The web remote is not started: no password is set; set one with 'zulmarin remote "
                               "password' or in Preferences, Web remote.");
    setRemote("right password");
    ASSERT_TRUE(remote.start());
    EXPECT_EQ(server->host + " " + remote.status(), "127.0.0.1 The web remote is at http://127.0.0.1:8080/.");

    EXPECT_EQ(request("GET", "/api/state").status, 401);
    ASSERT_EQ(request("POST", "/api/login", R"({"password":"right password"})").status, 200);
    EXPECT_NE(
        request("GET", "/api/state").body.find(R"({"unit":"B3","description":"Porch light","lamp":true,"state":null})"),
        std::string::npos);
    ASSERT_TRUE(request("GET", "/api/events").eventStream);
    EXPECT_EQ(request("POST", "/api/unit/B3", R"({"command":"ON"})").status, 200);
    loop.runFor(web::WebRemote::PollMs);
    EXPECT_EQ(sent(), std::vector<std::string>{"B3 ON"});
    EXPECT_TRUE(eventHas(R"("unit":"B3","description":"Porch light","lamp":true,"state":"ON")"));

    ASSERT_TRUE(app::switchTimers(*app, true));
    loop.runFor(web::WebRemote::PollMs);
    EXPECT_TRUE(eventHas("event: log\ndata: \"")) << "the timers' log entry";
    server->events.clear();
    loop.runFor(web::WebRemote::KeepAliveMs + web::WebRemote::PollMs);
    EXPECT_TRUE(eventHas(": still here\n\n"));

    setRemote("a new password"); // every browser logs in again
    EXPECT_EQ(request("GET", "/api/state").status, 401);
    remote.stop();
    EXPECT_FALSE(remote.running());
    EXPECT_EQ(remote.status(), "The web remote is off.");
}

} // namespace
} // namespace zul::test
