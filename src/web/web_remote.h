#pragma once
// The web remote: attached to whichever process owns the transmitter, as the
// MQTT bridge is, it serves the page and the API (WebApi) on the address of
// the "WebRemote" settings and keeps the open pages up to date: the state
// goes out as a "state" event whenever it changed (at once after a frame or
// a group run, else on a look every PollMs), each new timer log entry as a
// "log" event, and a comment line every KeepAliveMs shows a dead connection.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "web/api.h"
#include "web/http_server.h"
#include "web/password.h"
#include "web/program_controls.h"
#include "web/web_settings.h"

namespace zul {
class Tick;
class TimerLog;
} // namespace zul

namespace zul::web {

class WebRemote {
public:
    static constexpr int PollMs = 1000;
    static constexpr int SoonMs = 20;
    static constexpr int KeepAliveMs = 20000;

    WebRemote(app::App& app, mqtt::MqttBridge& bridge, HttpServerFactory factory, const KeyDerivation& keys,
              std::vector<Asset> assets);
    ~WebRemote();
    WebRemote(const WebRemote&) = delete;
    WebRemote& operator=(const WebRemote&) = delete;

    // Reads the settings and listens when the remote is on, or when an
    // address is given for this run. False, with status() saying why, when
    // it cannot start (no password set, the address unusable or taken).
    bool start(const std::string& addressOverride = "");
    void stop();
    // The settings changed. A new password counts from the next request on,
    // and every browser logs in again.
    void restart();

    bool running() const { return server_ != nullptr; }
    // One line on how the remote stands ("The web remote is at http://127.0.0.1:8080/").
    const std::string& status() const { return status_; }
    std::function<void()> statusChanged;
    // The address it listens on, with the port it got.
    const ListenAddress& address() const { return address_; }

private:
    HttpResponse handle(const HttpRequest& request);
    void look();
    void attachTimerLog();
    void setStatus(std::string text);

    app::App& app_;
    mqtt::MqttBridge& bridge_;
    HttpServerFactory factory_;
    const KeyDerivation& keys_;
    ProgramControls controls_;
    WebApi api_;
    std::string passwordHash_; // the one the sessions were opened with
    std::unique_ptr<HttpServer> server_;
    ListenAddress address_;
    std::string status_ = "The web remote is off.";
    std::string lastState_;
    std::unique_ptr<Tick> poll_, soon_;
    std::int64_t lastSentMs_ = 0;
    int statesConnection_ = 0, timersConnection_ = 0, logConnection_ = 0;
    TimerLog* timerLog_ = nullptr;
};

} // namespace zul::web
