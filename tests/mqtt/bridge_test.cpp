// The bridge on the whole program in virtual time, with the test playing the
// broker: what it announces and under which identity, what the commands that
// arrive send, the states it publishes (only for frames that went out), the
// bounds of its queues, and what it refuses. Every config it publishes is
// checked against the hub's rules by the fake broker.
#include <algorithm>

#include "app/app_fixture.h"
#include "app/groups_panel.h"
#include "windows/main_window.h"
#include "app/timers_switch.h"
#include "app/unit_descriptions.h"
#include "macros/group_file.h"
#include "mqtt/bridge.h"
#include "settings/error_log.h"
#include "support/fake_mqtt.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"

namespace zul::test {
namespace {

using windows::MouseButton;

class BridgeTest : public AppFixture {
protected:
    ~BridgeTest() override {
        bridge.reset();
        EXPECT_EQ(broker.configProblems, std::vector<std::string>{});
    }

    // The program running, the bridge enabled (with a broker stored before:
    // an install that keeps the old node id "zulmarin") and connected.
    void connect() {
        writeSetting(app->settings, Setting::MqttEnabled, "1");
        writeSetting(app->settings, Setting::MqttBroker, "mqtt://hub.local");
        startRunning();
        bridge =
            std::make_unique<mqtt::MqttBridge>(*app, fakeClientFactory(broker), mqtt::DeviceInfo{"den-pc", "1.0.0"});
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
    std::vector<std::string> lastSent(std::size_t n) const {
        const auto all = sent();
        return std::vector<std::string>(all.end() - static_cast<long>(std::min(n, all.size())), all.end());
    }

    FakeBroker broker;
    std::unique_ptr<mqtt::MqttBridge> bridge;
    std::vector<std::string> logged;
};

TEST_F(BridgeTest, AnInstallThatHadABrokerKeepsItsIdsAndEverythingIsAnnouncedUnderThem) {
    presetRecord(19, "B3## Porch light");
    presetRecord(281, "1");
    macros::writeGroupFile(home.home() / "file0.grp", 1, "Outside", {"0110000000000000"});
    writeFile(home.home() / "Good Night.cro", "");
    connect();

    EXPECT_EQ(readSetting(app->settings, Setting::MqttInstallId), "zulmarin");
    EXPECT_EQ(broker.options.clientId, "zulmarin_ab50957c"); // from the host and the base topic
    EXPECT_FALSE(broker.options.cleanSession);
    EXPECT_EQ(broker.options.sessionExpirySeconds, 120);
    EXPECT_EQ(broker.options.willTopic + " " + broker.options.willPayload, "zulmarin/status offline");
    EXPECT_EQ(broker.subscribed,
              (std::vector<std::string>{"zulmarin/+/set", "zulmarin/+/+/set", "zulmarin/unit/+/brightness/set",
                                        "zulmarin/macro/run", "homeassistant/+/zulmarin/+/config"}));
    EXPECT_EQ(retained("homeassistant/light/zulmarin/b3/config"),
              R"({"name":"Porch light","unique_id":"zulmarin_b3","command_topic":"zulmarin/unit/B3/set",)"
              R"("state_topic":"zulmarin/unit/B3/state","payload_on":"ON","payload_off":"OFF",)"
              R"("brightness_command_topic":"zulmarin/unit/B3/brightness/set",)"
              R"("brightness_state_topic":"zulmarin/unit/B3/brightness/state","brightness_scale":100,)"
              R"("on_command_type":"brightness","qos":1,)"
              R"("availability":[{"topic":"zulmarin/status"},{"topic":"zulmarin/transmitter"}],)"
              R"("availability_mode":"all","device":{"identifiers":["zulmarin_den_pc"],"name":"Zulmarin",)"
              R"("model":"CM17A","sw_version":"1.0.0"},"origin":{"name":"Zulmarin","sw_version":"1.0.0"}})");
    for (const auto& [topic, part] : std::vector<std::pair<std::string, std::string>>{
             {"switch/zulmarin/group1",
              R"("name":"Outside","unique_id":"zulmarin_group1","command_topic":"zulmarin/group/1/set")"},
             {"button/zulmarin/panic", R"("command_topic":"zulmarin/panic/set","payload_press":"PRESS")"},
             {"switch/zulmarin/timers", R"("payload_off":"OFF","entity_category":"config")"},
             {"button/zulmarin/macro_good_night_9e29321a",
              R"("name":"Good Night","unique_id":"zulmarin_macro_good_night_9e29321a")"}})
        EXPECT_NE(retained("homeassistant/" + topic + "/config").find(part), std::string::npos) << topic;
    EXPECT_EQ(retained("zulmarin/status"), "online");
    EXPECT_EQ(retained("zulmarin/transmitter"), "online");
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
    EXPECT_EQ(broker.retained().size(), 8u); // five configs, the status, the transmitter and the timers state

    // A config the broker kept from earlier, for a unit no longer described, is removed; ours stays.
    deliver("homeassistant/light/zulmarin/c9/config", "{\"name\":\"Old\"}", true);
    deliver("homeassistant/light/zulmarin/b3/config", "{}", true);
    EXPECT_EQ(broker.on("homeassistant/light/zulmarin/c9/config"), std::vector<std::string>{""});
    EXPECT_EQ(broker.on("homeassistant/light/zulmarin/b3/config").size(), 1u);

    // Description, label and appliance changes: a config, or its removal.
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "Lamp").saved);
    EXPECT_NE(retained("homeassistant/light/zulmarin/a1/config").find(R"("name":"Lamp")"), std::string::npos);
    ASSERT_EQ(app->mainWindow->setAppliance(0, true), "");
    EXPECT_EQ(retained("homeassistant/light/zulmarin/a1/config"), "");
    EXPECT_EQ(jsonField(retained("homeassistant/switch/zulmarin/a1/config"), "command_topic"),
              "\"zulmarin/unit/A1/set\"");
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "").saved);
    app->groupLabels.set(0, "");
    EXPECT_EQ(retained("homeassistant/switch/zulmarin/a1/config"), "");
    EXPECT_EQ(retained("homeassistant/switch/zulmarin/group1/config"), "");
}

TEST_F(BridgeTest, AnEntityDeletedInTheHubStaysAwayAndACleanStopLeavesNothingSubscribed) {
    presetRecord(1, "A1## Lamp");
    presetRecord(19, "B3## Porch light");
    connect();
    // Our own removal comes back from the broker: that is no deletion.
    const std::string a1 = "homeassistant/light/zulmarin/a1/config", b3 = "homeassistant/light/zulmarin/b3/config";
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "").saved);
    deliver(a1, "");
    ASSERT_TRUE(app->mainWindow->saveDescription(0, "Lamp").saved);
    // The user deletes the porch light in the hub: it stays away after a
    // reconnect, until its description changes.
    deliver(b3, "");
    const std::size_t lampConfigs = broker.on(a1).size(), porchConfigs = broker.on(b3).size();
    broker.drop("connection lost");
    broker.accept();
    loop.runFor(100);
    EXPECT_EQ(broker.on(a1).size(), lampConfigs + 1);
    EXPECT_EQ(broker.on(b3).size(), porchConfigs);
    EXPECT_EQ(readSetting(app->settings, Setting::MqttHidden), "light/b3:" + mqtt::shortHash("Porch light"));
    app->descriptions->write({2, 3}, "Porch lamp");
    EXPECT_NE(broker.on(b3).back().find("Porch lamp"), std::string::npos);
    EXPECT_EQ(readSetting(app->settings, Setting::MqttHidden), "");

    // A clean stop unsubscribes and says offline before the client goes.
    bridge->stop();
    EXPECT_EQ(broker.unsubscribed, std::vector<std::string>(broker.subscribed.end() - 5, broker.subscribed.end()));
    EXPECT_EQ(broker.published.back().topic + " " + broker.published.back().payload, "zulmarin/status offline");
    EXPECT_EQ(broker.stops, 1);
}

TEST_F(BridgeTest, UnitCommandsGoOutThroughTheQueueAndEveryRoutePublishesTheState) {
    presetRecord(3, "A3## Porch");
    connect();
    broker.deliver("zulmarin/unit/A3/set", "ON");
    broker.deliver("zulmarin/unit/a12/set", " off\n");
    EXPECT_TRUE(bridge->pendingFrames().empty()); // handed over, not handled on the client's side
    loop.runFor(300);                             // at once, not on the resting queue's next look a second later
    EXPECT_EQ(sent(), std::vector<std::string>{"A3 ON"});
    loop.runFor(2000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A3 ON", "A12 OFF"}));
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "ON");
    EXPECT_EQ(retained("zulmarin/unit/A3/brightness/state"), "100");
    EXPECT_EQ(retained("zulmarin/unit/A12/state"), "OFF");

    // The window's buttons and whole-house commands: the described unit follows All Units Off.
    app->mainWindow->unitDown(4, true, windows::MouseButton::Left);
    EXPECT_EQ(retained("zulmarin/unit/A5/state"), "ON");
    app->mainWindow->wholeHouse(x10::Action::Auf, windows::MouseButton::Left);
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "OFF");
    EXPECT_EQ(retained("zulmarin/unit/A5/state"), "OFF");
    EXPECT_EQ(retained("zulmarin/unit/A7/state"), ""); // never addressed, not described

    // BRI and DIM address their unit first (with ON: the CM17A has no other
    // way) unless it was the last one on its house code.
    deliver("zulmarin/unit/A5/set", "BRI");
    deliver("zulmarin/unit/A3/set", "DIM");
    loop.runFor(3000);
    EXPECT_EQ(lastSent(3), (std::vector<std::string>{"A BRI", "A3 ON", "A DIM"}));
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "ON");
    EXPECT_EQ(retained("zulmarin/unit/A3/brightness/state"), "95");
}

TEST_F(BridgeTest, LampsDimToAnAssumedBrightnessAndAppliancesAreNeverDimmed) {
    presetRecord(3, "A3## Porch");
    presetRecord(4, "A4## Pump");
    connect();
    ASSERT_EQ(app->descriptions->setAppliance({1, 4}, true), "");
    EXPECT_EQ(retained("homeassistant/light/zulmarin/a4/config"), "");
    EXPECT_NE(retained("homeassistant/switch/zulmarin/a4/config"), "");

    // 50 % from off: ON (full), then half of the 20 steps down.
    deliver("zulmarin/unit/A3/brightness/set", "50");
    loop.runFor(12000);
    std::vector<std::string> expected{"A3 ON"};
    expected.insert(expected.end(), 10, "A DIM");
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(retained("zulmarin/unit/A3/brightness/state"), "50");
    // From there, BRI frames only; a DIM from the window moves the level too.
    deliver("zulmarin/unit/A3/brightness/set", "60");
    loop.runFor(2000);
    EXPECT_EQ(lastSent(2), (std::vector<std::string>{"A BRI", "A BRI"}));
    loop.afterMs(100, [this] { app->mainWindow->holdUp(); });
    app->mainWindow->holdDown(false, windows::MouseButton::Left);
    EXPECT_EQ(retained("zulmarin/unit/A3/brightness/state"), "55");
    // Another route switching the unit on puts it at full again.
    deliver("zulmarin/unit/A3/set", "ON");
    loop.runFor(1000);
    EXPECT_EQ(retained("zulmarin/unit/A3/brightness/state"), "100");

    const std::size_t before = sent().size();
    for (const auto& [topic, payload] :
         std::vector<std::pair<std::string, std::string>>{{"zulmarin/unit/A4/set", "DIM"},
                                                          {"zulmarin/unit/A4/brightness/set", "30"},
                                                          {"zulmarin/unit/A3/brightness/set", "101"}})
        deliver(topic, payload);
    loop.runFor(2000);
    EXPECT_EQ(sent().size(), before);
    EXPECT_EQ(
        logged.back(),
        "MQTT: refused '101' on zulmarin/unit/A3/brightness/set: the brightness must be a whole number from 0 to 100");
    EXPECT_EQ(logged[logged.size() - 2], "MQTT: unit A4 is an appliance; DIM refused");
}

TEST_F(BridgeTest, GroupsPanicMacrosAndTheTimersSwitchRunAsTheirButtonsDo) {
    macros::writeGroupFile(home.home() / "file1.grp", 2, "Porch", {"0110000000000000", "0110000000001000"});
    presetRecord(281, "2");
    presetRecord(280, "0,5");
    writeFile(home.home() / "Hall.cro", "\"01100000000000000.50\"\r\n\"01100000001000000001\"\r\n");
    writeFile(home.home() / "Caf\xE9.cro", "");
    connect();

    deliver("zulmarin/group/2/set", "ON");
    loop.runFor(2000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 ON", "A3 ON"}));
    EXPECT_EQ(retained("zulmarin/group/2/state"), "ON");
    EXPECT_TRUE(sound.played.empty()); // a remote run plays no click

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
    EXPECT_EQ(lastSent(2), (std::vector<std::string>{"A1 ON", "A1 OFF"}));

    // Macro files come and go without a reconnect; each keeps the id its own
    // name gives it, and a name that is not UTF-8 is left out with one line.
    const std::string hall = "homeassistant/button/zulmarin/" + mqtt::Discovery::macroObjectId("Hall.cro") + "/config";
    EXPECT_NE(retained(hall), "");
    writeFile(home.home() / "hall.cro", "");
    loop.runFor(mqtt::MqttBridge::WatchMs + 100);
    EXPECT_NE(retained("homeassistant/button/zulmarin/" + mqtt::Discovery::macroObjectId("hall.cro") + "/config"), "");
    EXPECT_EQ(broker.on(hall).size(), 1u);
    std::filesystem::remove(home.home() / "Hall.cro");
    loop.runFor(mqtt::MqttBridge::WatchMs + 100);
    EXPECT_EQ(retained(hall), "");
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::string& l) { return l.find("Caf") != std::string::npos; }),
              1);
    EXPECT_NE(std::find(logged.begin(), logged.end(),
                        "MQTT: the macro Caf\\xe9.cro is left out of the hub: the name is not UTF-8 text; rename it to "
                        "use it there"),
              logged.end());

    deliver("zulmarin/timers/set", "ON");
    ASSERT_NE(app->timers, nullptr);
    EXPECT_EQ(retained("zulmarin/timers/state"), "ON");
    app->timers->log().append("\r\nTimer 1 : (Hall.cro)\r\n\t: Started");
    EXPECT_EQ(broker.on("zulmarin/log").back(), "Timer 1 : (Hall.cro) : Started"); // one line, as on standard output
    deliver("zulmarin/timers/set", "OFF"); // without a window the machinery stays, its scheduler stops
    EXPECT_FALSE(app->timers->scheduler().masterSwitch());
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
    deliver("zulmarin/timers/set", "ON");
    app::switchTimers(*app, false); // the window's switch
    EXPECT_EQ(retained("zulmarin/timers/state"), "OFF");
}

TEST_F(BridgeTest, NoStateIsPublishedForAFrameThatDidNotGoOut) {
    presetRecord(3, "A3## Porch");
    macros::writeGroupFile(home.home() / "file1.grp", 2, "Porch", {"0110000000000000"});
    std::filesystem::create_directory(home.home() / "file2.grp"); // a group file that cannot be read
    connect();
    app->port.close(); // unplugged
    loop.runFor(mqtt::MqttBridge::WatchMs + 100);
    EXPECT_EQ(retained("zulmarin/transmitter"), "offline");
    deliver("zulmarin/unit/A3/set", "ON");
    deliver("zulmarin/group/2/set", "ON");
    app->groups->runner().runGroup(1, true); // the window's button
    loop.runFor(2000);
    EXPECT_EQ(retained("zulmarin/unit/A3/state"), "");
    EXPECT_EQ(retained("zulmarin/group/2/state"), "");
    EXPECT_EQ(logged.back(), "MQTT: the transmitter's port is not open; commands are refused until it is");

    ASSERT_FALSE(app->port.open("sim"));
    loop.runFor(mqtt::MqttBridge::WatchMs + 100);
    EXPECT_EQ(retained("zulmarin/transmitter"), "online");
    deliver("zulmarin/group/3/set", "ON");
    loop.runFor(1000);
    EXPECT_EQ(retained("zulmarin/group/3/state"), "");
    EXPECT_EQ(logged.back().rfind("the group file " + (home.home() / "file2.grp").string() + " cannot be read (", 0),
              0u)
        << logged.back();
}

TEST_F(BridgeTest, AFloodWaitsInABoundedQueueAndIsToldOncePerBurst) {
    connect();
    // Each unit's newest command replaces its waiting one; beyond eight units
    // waiting, commands are refused.
    for (int round = 0; round < 3; ++round)
        for (int house = 1; house <= 16; ++house)
            for (int unit = 1; unit <= 16; ++unit)
                broker.deliver("zulmarin/unit/" + app::unitName({house, unit}) + "/set", round == 2 ? "OFF" : "ON");
    loop.runFor(100);
    const double frame = 0.71; // settle, bits and the gap
    loop.runFor(static_cast<int>(9 * frame * 1000));
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 OFF", "A2 OFF", "A3 OFF", "A4 OFF", "A5 OFF", "A6 OFF", "A7 OFF",
                                                "A8 OFF"}));
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const auto& l) { return l.find("refused") != std::string::npos; }),
              1);
    EXPECT_EQ(logged.back(), "MQTT: refused 744 commands that came while the bridge's queue was full (at most 8 "
                             "units and 4 runs wait)");
    // A command after the flood goes out at once.
    deliver("zulmarin/unit/P16/set", "ON");
    loop.runFor(1000);
    EXPECT_EQ(sent().back(), "P16 ON");

    // Runs wait bounded too: a group's newer command replaces its waiting one.
    macros::writeGroupFile(home.home() / "file0.grp", 1, "Hall", {"0110000000000000"});
    for (const char* word : {"ON", "OFF"}) broker.deliver("zulmarin/group/1/set", word);
    loop.runFor(3000);
    EXPECT_EQ(lastSent(2), (std::vector<std::string>{"P16 ON", "A1 OFF"}));
}

TEST_F(BridgeTest, BadInputSendsNothingAndEachKindIsLoggedOnceWithItsTopicEscaped) {
    writeFile(home.home() / "Hall.cro", "");
    connect();
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"zulmarin/unit/A3/toggle", "ON"},
        {"zulmarin/unit/Q3/set", "ON"},
        {"zulmarin/unit/A17/set", "ON"},
        {"zulmarin/group/9/set", "ON"},
        {"zulmarin/unit/A3/set", "T\xE2\x80\xAEON\xC2\x9B\xFF"},
        {"zulmarin/group/1/set", "BRI"},
        {"zulmarin/panic/set", "PRESS"},
        {"zulmarin/timers/set", "1"},
        {"zulmarin/unit/A3/set", "O\x01N"},
        {"zulmarin/unit/A3/set", std::string(1 << 20, 'N')},
        {"zulmarin/macro/run", "../etc/passwd"},
        {"zulmarin/macro/run", "Missing"},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& [topic, payload] : bad) deliver(topic, payload);
    deliver("zulmarin/unit/A3/set", "ON", true); // retained: an old command, never taken
    loop.runFor(3000);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(app->timers, nullptr);
    ASSERT_EQ(logged.size(), 1u + 12u) << logged.back(); // "connected", then one line per kind
    EXPECT_EQ(logged[0], "MQTT: connected to mqtt://hub.local:1883 as zulmarin_ab50957c");
    EXPECT_EQ(logged[2], "MQTT: no unit 'Q3' (houses A to P, units 1 to 16): zulmarin/unit/Q3/set");
    EXPECT_EQ(logged[4],
              "MQTT: refused 'T\\xe2\\x80\\xaeON\\xc2\\x9b\\xff' on zulmarin/unit/A3/set: the payload must be "
              "one of ON, OFF, BRI, DIM");
    EXPECT_NE(logged.back().find("retained"), std::string::npos);
    const auto entries = readErrorLog(app->folder / "error.log").entries;
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_NE(entries[3].message.find("'T\\xe2\\x80\\xaeON\\xc2\\x9b\\xff'"), std::string::npos);
}

TEST_F(BridgeTest, ConnectionTroubleIsToldOncePerKindStatesReturnOnReconnectAndBadSettingsStartNothing) {
    connect();
    deliver("zulmarin/unit/C2/set", "ON");
    loop.runFor(1000);
    logged.clear();
    broker.drop("connection lost");
    loop.runFor(100);
    for (int i = 0; i < 2; ++i) {
        broker.refuse("Not authorized");
        broker.drop("connection refused: nothing listens on that port");
        broker.drop("TLS failed: certificate verify failed");
        loop.runFor(100);
    }
    EXPECT_EQ(
        logged,
        (std::vector<std::string>{
            "MQTT: lost the connection to mqtt://hub.local:1883 (connection lost); trying again",
            "MQTT: the broker at mqtt://hub.local:1883 refused the connection (Not authorized); trying again",
            "MQTT: cannot connect to mqtt://hub.local:1883 (connection refused: nothing listens on that "
            "port); trying again",
            "MQTT: cannot connect to mqtt://hub.local:1883 (TLS failed: certificate verify failed); trying again"}));
    EXPECT_FALSE(bridge->connected());

    broker.published.clear();
    broker.accept();
    loop.runFor(100);
    EXPECT_TRUE(bridge->connected());
    EXPECT_EQ(bridge->status(), "Connected to mqtt://hub.local:1883");
    EXPECT_EQ(retained("zulmarin/unit/C2/state"), "ON");
    EXPECT_EQ(retained("zulmarin/status"), "online");

    // Unusable settings start no client; the service's --mqtt enables the bridge for one run.
    writeSetting(app->settings, Setting::MqttBaseTopic, "zul/#");
    bridge->restart();
    EXPECT_EQ(broker.starts, 1);
    EXPECT_EQ(logged.back(), "MQTT: The MQTT bridge is not started: Base topic must not contain the wildcards + or #.");
    writeSetting(app->settings, Setting::MqttBaseTopic, "home/zul");
    writeSetting(app->settings, Setting::MqttEnabled, "0");
    bridge->start("mqtt://other:1884");
    EXPECT_EQ(broker.starts, 2);
    EXPECT_EQ(broker.options.broker.port, 1884);
    EXPECT_EQ(broker.options.willTopic, "home/zul/status");
}

} // namespace
} // namespace zul::test
