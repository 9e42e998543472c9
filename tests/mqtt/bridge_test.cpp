// The bridge on the whole program in virtual time, with the test playing the
// broker: what it announces, what the commands that arrive send, the states
// it publishes after every route, and what it refuses.
#include <algorithm>

#include "app/app_fixture.h"
#include "app/groups_panel.h"
#include "app/main_window_logic.h"
#include "app/timers_switch.h"
#include "macros/group_file.h"
#include "mqtt/bridge.h"
#include "settings/error_log.h"
#include "support/fake_mqtt.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"

namespace zul::test {
namespace {

using app::MouseButton;

class BridgeTest : public AppFixture {
protected:
    ~BridgeTest() override { bridge.reset(); }

    // The program running, the bridge enabled and connected.
    void connect() {
        WriteSetting(app->settings, "Mqtt", "Enabled", "1");
        WriteSetting(app->settings, "Mqtt", "Broker", "mqtt://hub.local");
        startRunning();
        bridge = std::make_unique<mqtt::MqttBridge>(*app, fakeClientFactory(broker), mqtt::DeviceInfo{"den-pc", "1.0.0"});
        bridge->logLine = [this](const std::string& line) { logged.push_back(line); };
        bridge->start();
        broker.accept();
        loop.runFor(100);
    }
    void deliver(const std::string& topic, const std::string& payload, bool retained = false) {
        broker.deliver(topic, payload, retained);
        loop.runFor(100);
    }
    std::string retained(const std::string& topic) const {
        const auto all = broker.retained();
        const auto it = all.find(topic);
        return it == all.end() ? "" : it->second;
    }

    FakeBroker broker;
    std::unique_ptr<mqtt::MqttBridge> bridge;
    std::vector<std::string> logged;
};

TEST_F(BridgeTest, EverythingIsAnnouncedRetainedUnderOneDeviceAndChangesFollow) {
    presetRecord(19, "B3## Porch light");
    presetRecord(281, "1");
    macros::writeGroupFile(home.home() / "file0.grp", 1, "Outside", {"0110000000000000"});
    writeFile(home.home() / "Good Night.cro", "");
    connect();

    EXPECT_EQ(broker.options.clientId, "zulmarin_den_pc");
    EXPECT_FALSE(broker.options.cleanSession);
    EXPECT_EQ(broker.options.broker, (mqtt::BrokerAddress{"hub.local", 1883, false}));
    EXPECT_EQ(broker.options.willTopic + " " + broker.options.willPayload, "zulmarin/status offline");
    EXPECT_EQ(broker.subscribed, (std::vector<std::string>{"zulmarin/+/set", "zulmarin/+/+/set", "zulmarin/macro/run",
                                                           "homeassistant/+/zulmarin/+/config"}));
    EXPECT_EQ(retained("homeassistant/light/zulmarin/b3/config"),
              R"({"name":"Porch light","unique_id":"zulmarin_b3","command_topic":"zulmarin/unit/B3/set",)"
              R"("state_topic":"zulmarin/unit/B3/state","payload_on":"ON","payload_off":"OFF",)"
              R"("availability_topic":"zulmarin/status","device":{"identifiers":["zulmarin_den_pc"],"name":"Zulmarin",)"
              R"("model":"CM17A","sw_version":"1.0.0"}})");
    for (const auto& [topic, part] : std::vector<std::pair<std::string, std::string>>{
             {"switch/zulmarin/group1", R"("name":"Outside","unique_id":"zulmarin_group1","command_topic":"zulmarin/group/1/set")"},
             {"button/zulmarin/panic", R"("command_topic":"zulmarin/panic/set","payload_press":"PRESS")"},
             {"switch/zulmarin/timers", R"("state_topic":"zulmarin/timers/state")"},
             {"button/zulmarin/macro_good_night", R"("name":"Good Night","unique_id":"zulmarin_macro_good_night")"}})
        EXPECT_NE(retained("homeassistant/" + topic + "/config").find(part), std::string::npos) << topic;
    EXPECT_EQ(retained("zulmarin/status"), "online");
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
    EXPECT_EQ(broker.retained().size(), 7u);  // five configs, the status and the timers state

    // A config the broker kept from earlier, for a unit no longer described, is removed; ours stays.
    deliver("homeassistant/light/zulmarin/c9/config", "{\"name\":\"Old\"}", true);
    deliver("homeassistant/light/zulmarin/b3/config", "{}", true);
    EXPECT_EQ(broker.on("homeassistant/light/zulmarin/c9/config"), std::vector<std::string>{""});
    EXPECT_EQ(broker.on("homeassistant/light/zulmarin/b3/config").size(), 1u);

    // Description and label changes: a config, or its removal.
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "Lamp").saved);
    EXPECT_NE(retained("homeassistant/light/zulmarin/a1/config").find(R"("name":"Lamp")"), std::string::npos);
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "").saved);
    app->groupLabels.set(0, "");
    EXPECT_EQ(broker.on("homeassistant/light/zulmarin/a1/config").back(), "");
    EXPECT_EQ(retained("homeassistant/switch/zulmarin/group1/config"), "");

    // A clean stop leaves no subscription (the broker would queue commands for
    // the next start), says offline and lets the client go.
    bridge->stop();
    EXPECT_EQ(broker.unsubscribed, broker.subscribed);
    EXPECT_EQ(retained("zulmarin/status"), "offline");
    EXPECT_EQ(broker.stops, 1);
}

TEST_F(BridgeTest, UnitCommandsGoOutThroughTheQueueAndEveryRoutePublishesTheState) {
    presetRecord(3, "A3## Porch");
    connect();
    broker.deliver("zulmarin/unit/A3/set", "ON");
    broker.deliver("zulmarin/unit/a12/set", " off\n");
    EXPECT_TRUE(bridge->pendingFrames().empty());  // handed over, not handled on the client's side
    loop.runFor(300);  // at once, not on the resting queue's next look a second later
    EXPECT_EQ(sent(), std::vector<std::string>{"A3 ON"});
    loop.runFor(2000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A3 ON", "A12 OFF"}));
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "ON");
    EXPECT_EQ(retained("zulmarin/unit/A12/state"), "OFF");

    // The window's buttons and whole-house commands: the described unit follows All Units Off.
    app->mainWindow->unitDown(4, true, MouseButton::Left);
    EXPECT_EQ(retained("zulmarin/unit/A5/state"), "ON");
    app->mainWindow->wholeHouse(x10::Action::Auf, MouseButton::Left);
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "OFF");
    EXPECT_EQ(retained("zulmarin/unit/A5/state"), "OFF");
    EXPECT_EQ(retained("zulmarin/unit/A7/state"), "");  // never addressed, not described

    // BRI and DIM address the unit first unless it was the last one on its house code.
    deliver("zulmarin/unit/A5/set", "BRI");
    deliver("zulmarin/unit/A3/set", "DIM");
    loop.runFor(3000);
    const auto all = sent();
    EXPECT_EQ(std::vector<std::string>(all.end() - 3, all.end()), (std::vector<std::string>{"A BRI", "A3 ON", "A DIM"}));
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "ON");
}

TEST_F(BridgeTest, GroupsPanicMacrosAndTheTimersSwitchRunAsTheirButtonsDo) {
    macros::writeGroupFile(home.home() / "file1.grp", 2, "Porch", {"0110000000000000", "0110000000001000"});
    presetRecord(281, "2");
    presetRecord(280, "0,5");
    writeFile(home.home() / "Hall.cro", "\"01100000000000000.50\"\r\n\"01100000001000000001\"\r\n");
    connect();

    deliver("zulmarin/group/2/set", "ON");
    loop.runFor(2000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 ON", "A3 ON"}));
    EXPECT_EQ(retained("zulmarin/group/2/state"), "ON");
    EXPECT_TRUE(sound.played.empty());  // a remote run plays no click

    // The panic routine: the group ON, 5 s, OFF; a unit command is not held up meanwhile.
    loop.afterMs(300, [&] { broker.deliver("zulmarin/unit/B1/set", "ON"); });
    deliver("zulmarin/panic/set", "PRESS");
    loop.runFor(8000);
    auto all = sent();
    EXPECT_EQ(std::vector<std::string>(all.begin() + 2, all.end()),
              (std::vector<std::string>{"A1 ON", "B1 ON", "A3 ON", "A1 OFF", "A3 OFF"}));
    EXPECT_EQ(retained("zulmarin/group/2/state"), "OFF");

    deliver("zulmarin/macro/run", "Hall");
    loop.runFor(3000);
    all = sent();
    EXPECT_EQ(std::vector<std::string>(all.end() - 2, all.end()), (std::vector<std::string>{"A1 ON", "A1 OFF"}));

    deliver("zulmarin/timers/set", "ON");
    ASSERT_NE(app->timers, nullptr);
    EXPECT_EQ(retained("zulmarin/timers/state"), "ON");
    app->timers->log().append("\r\nTimer 1 : (Hall.cro)\r\n\t: Started");
    EXPECT_EQ(broker.on("zulmarin/log").back(), "Timer 1 : (Hall.cro)\n\t: Started");
    deliver("zulmarin/timers/set", "OFF");  // without a window the machinery stays, its scheduler stops
    EXPECT_FALSE(app->timers->scheduler().masterSwitch());
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
    deliver("zulmarin/timers/set", "ON");
    app::switchTimers(*app, false);  // the window's switch
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
}

TEST_F(BridgeTest, BadInputSendsNothingAndEachKindIsLoggedOnceWithItsTopic) {
    writeFile(home.home() / "Hall.cro", "");
    connect();
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"zulmarin/unit/A3/toggle", "ON"},  {"zulmarin/unit/Q3/set", "ON"},   {"zulmarin/unit/A17/set", "ON"},
        {"zulmarin/group/9/set", "ON"},     {"zulmarin/unit/A3/set", "TOGGLE"}, {"zulmarin/group/1/set", "BRI"},
        {"zulmarin/panic/set", "PRESS"},    {"zulmarin/timers/set", "1"},     {"zulmarin/unit/A3/set", "O\x01N"},
        {"zulmarin/unit/A3/set", std::string(1 << 20, 'N')}, {"zulmarin/macro/run", "../etc/passwd"},
        {"zulmarin/macro/run", "Missing"},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& [topic, payload] : bad) deliver(topic, payload);
    deliver("zulmarin/unit/A3/set", "ON", true);  // retained: an old command, never taken
    loop.runFor(3000);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(app->timers, nullptr);
    ASSERT_EQ(logged.size(), 1u + 12u) << logged.back();  // "connected", then one line per kind
    EXPECT_EQ(logged[2], "MQTT: no unit 'Q3' (houses A to P, units 1 to 16): zulmarin/unit/Q3/set");
    EXPECT_EQ(logged[4], "MQTT: refused 'TOGGLE' on zulmarin/unit/A3/set: the payload must be one of ON, OFF, BRI, DIM");
    EXPECT_NE(logged.back().find("retained"), std::string::npos);
    EXPECT_EQ(readErrorLog(app->folder / "error.log").entries.size(), 12u);
}

TEST_F(BridgeTest, ConnectionTroubleIsToldOnceStatesReturnOnReconnectAndBadSettingsStartNothing) {
    connect();
    deliver("zulmarin/unit/C2/set", "ON");
    loop.runFor(1000);
    logged.clear();
    broker.drop("connection lost");
    loop.runFor(100);
    broker.refuse("not authorised");
    loop.runFor(100);
    broker.drop("connection lost");
    broker.refuse("not authorised");
    loop.runFor(100);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "MQTT: lost the connection to mqtt://hub.local:1883 (connection lost); trying again");
    EXPECT_EQ(logged[1], "MQTT: the broker at mqtt://hub.local:1883 refused the connection (not authorised); trying again");
    EXPECT_FALSE(bridge->connected());

    broker.published.clear();
    broker.accept();
    loop.runFor(100);
    EXPECT_TRUE(bridge->connected());
    EXPECT_EQ(bridge->status(), "Connected to mqtt://hub.local:1883");
    EXPECT_EQ(retained("zulmarin/unit/C2/state"), "ON");
    EXPECT_EQ(retained("zulmarin/status"), "online");

    // Unusable settings start no client; the service's --mqtt enables the bridge for one run.
    WriteSetting(app->settings, "Mqtt", "BaseTopic", "zul/#");
    bridge->restart();
    EXPECT_EQ(broker.starts, 1);
    EXPECT_EQ(logged.back(), "MQTT: The MQTT bridge is not started: Base topic must not contain the wildcards + or #.");
    WriteSetting(app->settings, "Mqtt", "BaseTopic", "home/zul");
    WriteSetting(app->settings, "Mqtt", "Enabled", "0");
    bridge->start("mqtt://other:1884");
    EXPECT_EQ(broker.starts, 2);
    EXPECT_EQ(broker.options.broker.port, 1884);
    EXPECT_EQ(broker.options.willTopic, "home/zul/status");
}

} // namespace
} // namespace zul::test
