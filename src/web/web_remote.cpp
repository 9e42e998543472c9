#include "web/web_remote.h"

#include "app/app.h"
#include "platform/event_loop.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"

namespace zul::web {

WebRemote::WebRemote(app::App& app, mqtt::MqttBridge& bridge, HttpServerFactory factory, const KeyDerivation& keys,
                     std::vector<Asset> assets)
    : app_(app), bridge_(bridge), factory_(std::move(factory)), keys_(keys), controls_(app, bridge),
      api_(controls_,
           {[this](const std::string& password) { return passwordMatches(keys_, passwordHash_, password); },
            [this](std::size_t n) { return keys_.randomBytes(n); }},
           std::move(assets)) {
    poll_ = app.loop.createTick("webPoll", PollMs, [this] { look(); });
    poll_->setCoarse(true);
    soon_ = app.loop.createTick("webSoon", SoonMs, [this] {
        soon_->setEnabled(false);
        look();
    });
    statesConnection_ = bridge.statesChanged.connect([this] {
        if (server_ && !soon_->enabled()) soon_->setEnabled(true);
    });
    timersConnection_ = app.timersSwitched.connect([this](bool on) {
        if (on) attachTimerLog();
        else timerLog_ = nullptr; // it went with the timers
        if (server_ && !soon_->enabled()) soon_->setEnabled(true);
    });
    if (app.timers) attachTimerLog();
}

WebRemote::~WebRemote() {
    stop();
    bridge_.statesChanged.disconnect(statesConnection_);
    app_.timersSwitched.disconnect(timersConnection_);
    if (timerLog_) timerLog_->entryAdded.disconnect(logConnection_);
}

bool WebRemote::start(const std::string& addressOverride) {
    if (server_) return true;
    WebSettings settings = loadWebSettings(app_.settings);
    if (!addressOverride.empty()) settings.address = addressOverride;
    else if (!settings.enabled) {
        setStatus("The web remote is off.");
        return true;
    }
    if (const std::string problem = startProblem(settings); !problem.empty()) {
        setStatus("The web remote is not started: " + problem + ".");
        app_.logError("WebRemote", "web", status_);
        return false;
    }
    std::string error;
    address_ = *parseListenAddress(settings.address, error);
    server_ = factory_();
    const std::string why =
        server_->listen(address_.host, address_.port, [this](const HttpRequest& r) { return handle(r); });
    if (!why.empty()) {
        server_.reset();
        setStatus("The web remote is not started: cannot listen on " + addressText(address_) + ": " + why + ".");
        app_.logError("WebRemote", "web", status_);
        return false;
    }
    address_.port = server_->port();
    lastState_.clear();
    poll_->setEnabled(true);
    setStatus("The web remote is at " + pageLink(address_, "localhost") + ".");
    return true;
}

void WebRemote::stop() {
    if (!server_) return;
    poll_->setEnabled(false);
    soon_->setEnabled(false);
    server_.reset();
    setStatus("The web remote is off.");
}

void WebRemote::restart() {
    stop();
    start();
}

HttpResponse WebRemote::handle(const HttpRequest& request) {
    // A password set meanwhile (the service reads its settings again when
    // they change) counts at once, and every browser logs in again.
    if (const std::string hash = loadWebSettings(app_.settings).passwordHash; hash != passwordHash_) {
        passwordHash_ = hash;
        api_.logOutAll();
    }
    HttpResponse response = api_.handle(request, app_.clock.monotonicMicros() / 1000);
    if (response.eventStream) { // it starts with the state as it is
        lastState_ = controls_.stateJson();
        lastSentMs_ = app_.clock.monotonicMicros() / 1000;
    }
    return response;
}

// Sends the state when it changed, and a comment now and then on an idle stream.
void WebRemote::look() {
    if (!server_ || server_->eventStreams() == 0) return;
    const std::int64_t now = app_.clock.monotonicMicros() / 1000;
    std::string state = controls_.stateJson();
    if (state != lastState_) {
        server_->sendEvent(serverSentEvent("state", state));
        lastState_ = std::move(state);
        lastSentMs_ = now;
    } else if (now - lastSentMs_ >= KeepAliveMs) {
        server_->sendEvent(": still here\n\n");
        lastSentMs_ = now;
    }
}

void WebRemote::attachTimerLog() {
    if (timerLog_ == &app_.timers->log()) return;
    timerLog_ = &app_.timers->log();
    logConnection_ = timerLog_->entryAdded.connect([this](const std::string& entry) {
        if (server_ && server_->eventStreams() > 0) server_->sendEvent(serverSentEvent("log", mqtt::jsonString(entry)));
    });
}

void WebRemote::setStatus(std::string text) {
    if (text == status_) return;
    status_ = std::move(text);
    if (statusChanged) statusChanged();
}

} // namespace zul::web
