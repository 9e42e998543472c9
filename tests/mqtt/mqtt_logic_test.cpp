// The bridge's std-only pieces: broker addresses and the "Mqtt" settings,
// the check of incoming messages, JSON text, the reconnect delays and the
// hand-over queue.
#include <gtest/gtest.h>

#include "mqtt/client.h"
#include "mqtt/discovery.h"
#include "mqtt/mqtt_settings.h"
#include "mqtt/topics.h"
#include "platform/text.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

using mqtt::BrokerAddress;

TEST(MqttSettings, BrokerAddressesTakeTheUsualForms) {
    std::string error;
    EXPECT_EQ(mqtt::parseBroker("mqtt://hub.local", error), (BrokerAddress{"hub.local", 1883, false}));
    EXPECT_EQ(mqtt::parseBroker(" mqtts://10.0.0.2:8884/ ", error), (BrokerAddress{"10.0.0.2", 8884, true}));
    EXPECT_EQ(mqtt::parseBroker("MQTTS://hub", error), (BrokerAddress{"hub", 8883, true}));
    EXPECT_EQ(mqtt::parseBroker("hub:1884", error), (BrokerAddress{"hub", 1884, false}));
    EXPECT_EQ(mqtt::parseBroker("mqtt://[::1]:1885", error), (BrokerAddress{"::1", 1885, false}));
    EXPECT_EQ(mqtt::brokerUrl({"::1", 1885, false}), "mqtt://[::1]:1885");
    for (const char* bad : {"", "http://hub", "mqtt://", "mqtt://hub:0", "mqtt://hub:65536", "mqtt://hub:", "hub:x",
                            "mqtt://user:pw@hub", "mqtt://hub/path", "mqtt://[::1", "mqtt://hub name"}) {
        error.clear();
        EXPECT_FALSE(mqtt::parseBroker(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(MqttSettings, ThePasswordIsStoredEncipheredAndTheValuesAreChecked) {
    MemorySettings store;
    EXPECT_EQ(mqtt::loadMqttSettings(store), mqtt::MqttSettings{}); // defaults: off, zulmarin, homeassistant
    mqtt::MqttSettings v;
    v.enabled = true;
    v.broker = "mqtt://hub";
    v.username = "zul";
    v.password = "s3cret; with = signs";
    ASSERT_TRUE(mqtt::saveMqttSettings(store, v));
    const std::string stored = readSetting(store, Setting::MqttPassword);
    EXPECT_TRUE(looksEnciphered(stored));
    EXPECT_EQ(cipherText(true, stored), v.password);
    EXPECT_EQ(store.read(Setting::MqttEnabled), "1");
    EXPECT_EQ(mqtt::loadMqttSettings(store), v);
    EXPECT_TRUE(mqtt::checkMqttSettings(v).empty());

    v.broker = "";
    v.caFile = "/no/such/ca.crt";
    v.password = "a\"b";
    v.baseTopic = "zul/+";
    v.discoveryPrefix = "/ha";
    EXPECT_EQ(mqtt::checkMqttSettings(v),
              (std::vector<std::string>{"Enter the broker's address, for example mqtt://192.168.1.10:1883.",
                                        "CA file: /no/such/ca.crt does not exist.",
                                        "Password: a double quote cannot be stored; choose a password without one.",
                                        "Base topic must not contain the wildcards + or #.",
                                        "Discovery prefix must not begin or end with / or have an empty level."}));
    // Topic roots a broker or the hub would take amiss, and an id that is no node id.
    const std::vector<std::tuple<std::string, std::string, std::string>> refused = {
        {"$SYS/zul", "homeassistant", "Base topic must not begin with $ (such topics are reserved for the broker)."},
        {"zul\x7Fx", "homeassistant", "Base topic must not contain control characters."},
        {"zul\xC2\x85", "homeassistant", "Base topic must not contain control characters."},
        {"zul\xFF", "homeassistant", "Base topic must be UTF-8 text."},
        {"home/zul", "home/zul/ha", "The base topic and the discovery prefix must not lie one inside the other."},
        {"ha/zul", "ha", "The base topic and the discovery prefix must not lie one inside the other."},
        {"zul", "zul", "The base topic and the discovery prefix must not lie one inside the other."},
    };
    for (const auto& [base, prefix, problem] : refused) {
        v = {};
        v.baseTopic = base;
        v.discoveryPrefix = prefix;
        EXPECT_EQ(mqtt::checkMqttSettings(v), std::vector<std::string>{problem}) << printable(base);
    }
    v = {};
    v.installId = "my home";
    v.dimSteps = 1;
    v.keepCommandsSeconds = 7200;
    EXPECT_EQ(mqtt::checkMqttSettings(v),
              (std::vector<std::string>{"Install id: use at most 40 letters, digits, _ or -.",
                                        "Commands are kept on the broker for 0 to 3600 seconds.",
                                        "Dim steps must be a whole number from 2 to 64."}));
}

TEST(MqttSettings, EachInstallHasItsOwnIdentityAndAnOldOneKeepsItsIds) {
    MemorySettings fresh, upgraded;
    std::string problem;
    const std::string id = mqtt::installId(fresh, problem);
    EXPECT_EQ(id.rfind("zulmarin_", 0), 0u);
    EXPECT_EQ(id.size(), 17u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef", 9), std::string::npos) << id;
    EXPECT_EQ(mqtt::installId(fresh, problem), id);
    EXPECT_NE(mqtt::installId(*std::make_unique<MemorySettings>(), problem), id);
    upgraded.write(Setting::MqttBroker, "mqtt://hub");
    EXPECT_EQ(mqtt::installId(upgraded, problem), "zulmarin");
    EXPECT_EQ(problem, "");

    const mqtt::Identity own = mqtt::identityOf("zulmarin_0badcafe", "den-pc", "zulmarin");
    EXPECT_EQ(own.nodeId + " " + own.deviceId + " " + own.clientId,
              "zulmarin_0badcafe zulmarin_0badcafe zulmarin_0badcafe");
    const mqtt::Identity old = mqtt::identityOf("zulmarin", "den-pc", "zulmarin");
    EXPECT_EQ(old.nodeId + " " + old.deviceId + " " + old.clientId, "zulmarin zulmarin_den_pc zulmarin_ab50957c");
    // Two old installs on one host with different base topics: two client ids, each within 23 characters.
    EXPECT_EQ(mqtt::identityOf("zulmarin", "den-pc", "kitchen").clientId.size(), 17u);
    EXPECT_NE(mqtt::identityOf("zulmarin", "den-pc", "kitchen").clientId, old.clientId);
    EXPECT_EQ(mqtt::shortHash(""), "811c9dc5");
    EXPECT_EQ(mqtt::shortHash("a"), "e40c292c");
}

// The request a message makes, or the kind of refusal, as one text.
std::string outcome(const std::string& topic, const std::string& payload, bool retained = false,
                    std::size_t bytes = std::string::npos) {
    const mqtt::TopicScheme topics("home/zul", "homeassistant");
    const auto r =
        mqtt::parseMessage(topics, topic, payload, bytes == std::string::npos ? payload.size() : bytes, retained);
    if (const auto* no = std::get_if<mqtt::Refusal>(&r)) return "refused: " + no->kind;
    const auto& q = std::get<mqtt::Request>(r);
    switch (q.target) {
    case mqtt::Target::Unit:
        return "unit " + app::unitName(q.unit) + " " + q.word +
               (q.word == "LEVEL" || q.percent ? " " + std::to_string(q.percent) : "");
    case mqtt::Target::Group: return "group " + std::to_string(q.group) + " " + q.word;
    case mqtt::Target::Panic: return "panic";
    case mqtt::Target::Macro: return "macro " + q.macroFile;
    case mqtt::Target::Timers: return "timers " + q.word;
    case mqtt::Target::Discovery:
        return "config " + q.component + " " + q.objectId + (q.emptyPayload ? " removed" : "");
    }
    return "";
}

TEST(MqttTopics, EveryMessageIsARequestOrARefusalOfOneKind) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"home/zul/unit/A3/set", "ON", "unit A3 ON"},
        {"home/zul/unit/p16/set", " dim\r\n", "unit P16 DIM"},
        {"home/zul/unit/B2/brightness/set", "37", "unit B2 LEVEL 37"},
        {"home/zul/unit/B2/brightness/set", "0", "unit B2 OFF"},
        {"home/zul/unit/B2/brightness/set", "1e2", "refused: brightness payload"},
        {"home/zul/unit/B2/brightness/set", "-5", "refused: brightness payload"},
        {"home/zul/group/8/set", "off", "group 8 OFF"},
        {"home/zul/panic/set", "PRESS", "panic"},
        {"home/zul/macro/run", "Good night", "macro Good night.cro"},
        {"home/zul/macro/run", "evening.CRO", "macro evening.CRO"},
        {"home/zul/timers/set", "ON", "timers ON"},
        {"homeassistant/light/zulmarin/a3/config", "", "config light a3 removed"},
        {"home/zul/unit/A3/state", "ON", "refused: unknown topic"},
        {"other/unit/A3/set", "ON", "refused: unknown topic"},
        {"homeassistant/light/other/a3/config", "{}", "refused: unknown topic"},
        {"home/zul/unit/Q1/set", "ON", "refused: unit out of range"},
        {"home/zul/group/10/set", "ON", "refused: group out of range"},
        {"home/zul/unit/A3/set", "ONN", "refused: unit payload"},
        {"home/zul/group/1/set", "DIM", "refused: group payload"},
        {"home/zul/panic/set", "ON", "refused: panic payload"},
        {"home/zul/timers/set", "TRUE", "refused: timers payload"},
        {"home/zul/unit/A3/set", std::string("O\0N", 3), "refused: binary payload"},
        {"home/zul/macro/run", "../x", "refused: macro name"},
        {"home/zul/macro/run", "sub/x.cro", "refused: macro name"},
        {"home/zul/macro/run", "  ", "refused: macro name"},
        {"home/zul/macro/run", "Caf\xE9", "refused: macro name"},
        {"home/zul/macro/run", "a..b", "macro a..b.cro"},
    };
    for (const auto& [topic, payload, expected] : cases) EXPECT_EQ(outcome(topic, payload), expected) << topic;
    EXPECT_EQ(outcome("home/zul/unit/A3/set", "ON", true), "refused: retained command");
    EXPECT_EQ(outcome("home/zul/unit/A3/set", "ON", false, 1 << 20), "refused: payload size");
    EXPECT_EQ(outcome("homeassistant/light/zulmarin/a3/config", "{}", true), "config light a3");
}

TEST(MqttDiscovery, TextsBecomeValidJsonAndIds) {
    EXPECT_EQ(mqtt::jsonString("Porch \"A\" \\ 1\n\x01"), R"("Porch \"A\" \\ 1\u000a\u0001")");
    EXPECT_EQ(mqtt::jsonString("Caf\xC3\xA9 \xFF!"), "\"Caf\xC3\xA9 \xEF\xBF\xBD!\""); // a stray byte: U+FFFD
    EXPECT_EQ(mqtt::slug("Den-PC.local"), "den_pc_local");
    // A macro's id comes from its exact name alone.
    EXPECT_EQ(mqtt::Discovery::macroObjectId("Good Night!.cro"), "macro_good_night_d82ea191");
    EXPECT_NE(mqtt::Discovery::macroObjectId("Good night!.cro"), mqtt::Discovery::macroObjectId("Good Night!.cro"));
    EXPECT_EQ(mqtt::Discovery::macroObjectId("---.cro"), "macro_unnamed_42abf212");
}

TEST(MqttClientParts, ReconnectDelaysGrowToAMinuteAndTheInboxIsBounded) {
    mqtt::ReconnectDelay delay;
    std::vector<int> seen;
    for (int i = 0; i < 9; ++i) seen.push_back(delay.next());
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60, 60}));
    delay.reset();
    EXPECT_EQ(delay.next(), 1);

    mqtt::Inbox inbox;
    const std::string big(5000, 'x');
    for (std::size_t i = 0; i < mqtt::Inbox::MaxMessages + 5; ++i)
        inbox.push(mqtt::ClientEvent::message("t", big.data(), big.size(), false));
    inbox.push(mqtt::ClientEvent::disconnected("gone"));
    const auto events = inbox.takeAll();
    EXPECT_EQ(events.size(), mqtt::Inbox::MaxMessages + 1);
    EXPECT_EQ(events.front().payload.size(), mqtt::MaxKeptPayload);
    EXPECT_EQ(events.front().payloadBytes, 5000u);
    EXPECT_EQ(events.back().kind, mqtt::ClientEvent::Kind::Disconnected);
    EXPECT_EQ(inbox.takeDropped(), 5u);
    EXPECT_EQ(inbox.takeDropped(), 0u);
}

} // namespace
} // namespace zul::test
