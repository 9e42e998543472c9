// The MQTT bridge end to end: Debian's mosquitto on a free loopback port with
// its own config in a temp folder, zulmarin (the service, or the desktop
// program offscreen) on a pseudo-terminal with the modem shim, and
// mosquitto_pub / mosquitto_sub in the hub's place. What the bridge does with
// each message is the bridge tests' business; these check what only the real
// client, a real broker and real processes can get wrong.
#include <gtest/gtest.h>

#include <pwd.h>

#include <filesystem>

#include "mqtt/mqtt_settings.h"
#include "mqtt/mqtt_settings_page.h"
#include "mqtt/mosquitto/mosquitto_client.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/text.h"
#include "process.h"
#include "support/qt_application.h"

namespace zul::test {
namespace {

std::string findProgram(const std::string& name) {
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"})
        if (access((std::string(dir) + "/" + name).c_str(), X_OK) == 0) return std::string(dir) + "/" + name;
    return "";
}

// What a shell command prints, without its last line break.
std::string output(const std::string& command) {
    std::string out = shellOutput(command);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// mosquitto with its config, its persistence and its log in a temp folder, and
// the command-line clients that stand in for the hub.
class Broker {
public:
    explicit Broker(const std::string& access = "allow_anonymous true\n") : port_(freePort()) {
        writeFile(dir_ / "mosquitto.conf",
                  "listener " + std::to_string(port_) + " 127.0.0.1\npersistence true\npersistence_location " +
                      dir_.path().string() + "/\nlog_dest file " + (dir_ / "broker.log").string() + "\nuser " +
                      getpwuid(getuid())->pw_name + "\n" + access); // as root it would hand over to 'mosquitto'
    }
    ~Broker() { stop(); }
    static bool installed() { return !findProgram("mosquitto").empty(); }
    bool start() {
        pid_ = fork();
        if (pid_ == 0) {
            dup2(open("/dev/null", O_WRONLY), 2); // its own log has what it says
            execl(findProgram("mosquitto").c_str(), "mosquitto", "-c", (dir_ / "mosquitto.conf").c_str(), nullptr);
            _exit(127);
        }
        return waitUntil(
            [this] {
                const int s = socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in a{};
                a.sin_family = AF_INET;
                a.sin_port = htons(static_cast<uint16_t>(port_));
                a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
                const bool up = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
                close(s);
                return up;
            },
            5000);
    }
    void stop() {
        if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    // QoS 1, payload as given (from a file, so any bytes go).
    bool publish(const std::string& topic, const std::string& payload) {
        writeFile(dir_ / "payload", payload);
        return std::system((client("mosquitto_pub", topic) + " -q 1 -f " + (dir_ / "payload").string()).c_str()) == 0;
    }
    // The retained payload of a topic, "" when there is none.
    std::string retained(const std::string& topic) {
        return output(client("mosquitto_sub", topic) + " -C 1 -W 1 --retained-only 2>/dev/null");
    }
    std::string log() const { return readFile(dir_ / "broker.log"); }

private:
    std::string client(const std::string& program, const std::string& topic) const {
        return findProgram(program) + " -p " + std::to_string(port_) + " -t '" + topic + "'";
    }
    TempDir dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// zulmarin on a pty with the "Mqtt" settings for the broker. enabled false:
// the bridge is off in the settings (the service's --mqtt names the broker).
// adjust changes the settings further.
class Program : public PtyProgram {
public:
    explicit Program(const Broker& broker, bool enabled = true, const std::string& password = "",
                     const std::function<void(mqtt::MqttSettings&)>& adjust = {}) {
        IniSettingsStore settings(dir() / "config" / "settings.ini");
        mqtt::MqttSettings m;
        m.enabled = enabled;
        m.broker = broker.url();
        m.username = password.empty() ? "" : "zul";
        m.password = password;
        if (adjust) adjust(m);
        mqtt::saveMqttSettings(settings, m);
    }
};

#define REQUIRE_MOSQUITTO()                                                                                            \
    if (!Broker::installed()) GTEST_SKIP() << "mosquitto is not installed (./zul installs it)"

// The client id a program said it connected with ("MQTT: connected to URL as ID").
std::string clientIdOf(const Program& program) {
    const std::string err = program.errors();
    const auto at = err.find(" as zulmarin");
    return at == std::string::npos ? "" : err.substr(at + 4, err.find('\n', at) - at - 4);
}

// Starts a program and waits until its bridge says online under base.
::testing::AssertionResult startsOnline(Broker& broker, Program& program, const std::vector<std::string>& args,
                                        const std::string& base = "zulmarin") {
    program.start(args);
    if (waitUntil([&] { return broker.retained(base + "/status") == "online"; }, 10000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not online: " << program.errors();
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(MqttEndToEnd, AHubSeesAndSwitchesTheServiceThroughARealBroker) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    ASSERT_TRUE(startsOnline(broker, program, {"service", "--mqtt", broker.url()}));
    EXPECT_NE(broker.retained("homeassistant/light/zulmarin/a3/config").find("\"name\":\"Porch light\""),
              std::string::npos);

    broker.publish("zulmarin/unit/A3/set", "ON");
    EXPECT_TRUE(waitUntil([&] { return program.count("A3 ON") == 1; }, 5000));
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/unit/A3/state") == "ON"; }, 5000));

    // A description set from the command line reaches the hub through the running copy.
    EXPECT_EQ(runZulmarin(program.dir(), {"units", "describe", "B2", "Hall lamp"}).rc, 0);
    EXPECT_TRUE(waitUntil(
        [&] {
            return broker.retained("homeassistant/light/zulmarin/b2/config").find("\"Hall lamp\"") != std::string::npos;
        },
        5000));

    // Bad payloads change nothing; the last one's line says they were all seen.
    const std::size_t before = program.decoded().size();
    for (const auto& [topic, payload] :
         std::vector<std::pair<std::string, std::string>>{{"zulmarin/unit/A3/set", "TOGGLE"},
                                                          {"zulmarin/unit/Z9/set", "ON"},
                                                          {"zulmarin/group/1/set", "\x01\x02"},
                                                          {"zulmarin/unit/A3/set", std::string(1 << 20, 'O')},
                                                          {"zulmarin/macro/run", "../../etc/passwd"}})
        broker.publish(topic, payload);
    EXPECT_TRUE(waitUntil([&] { return program.said("refused the macro name '../../etc/passwd'"); }, 5000));
    EXPECT_EQ(program.decoded().size(), before);
    EXPECT_EQ(broker.retained("zulmarin/unit/A3/state"), "ON");

    // The broker restarts; a command published right after it is back still arrives.
    broker.stop();
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(broker.publish("zulmarin/unit/A5/set", "ON"));
    EXPECT_TRUE(waitUntil([&] { return program.count("A5 ON") == 1; }, 10000)) << program.errors();
    EXPECT_NE(program.errors().find("MQTT: lost the connection to " + broker.url()), std::string::npos);

    // The desktop program's clean stop, as the service's (below), says
    // offline itself and disconnects: the last will is not used.
    EXPECT_EQ(program.end(SIGTERM), 0);
    Program desktop(broker);
    ASSERT_TRUE(startsOnline(broker, desktop, {}));
    const std::string goodbye = "Client " + clientIdOf(desktop) + " disconnected.\n";
    const std::size_t goodbyes = occurrences(broker.log(), goodbye);
    EXPECT_EQ(desktop.end(SIGTERM), 0);
    EXPECT_EQ(broker.retained("zulmarin/status"), "offline");
    EXPECT_EQ(occurrences(broker.log(), goodbye), goodbyes + 1);
}

TEST(MqttEndToEnd, ARefusedLoginIsOneClearLineAndTheTestButtonSaysSo) {
    REQUIRE_MOSQUITTO();
    TempDir files;
    ASSERT_EQ(
        std::system((findProgram("mosquitto_passwd") + " -b -c " + (files / "passwd").string() + " zul right").c_str()),
        0);
    Broker broker("allow_anonymous false\npassword_file " + (files / "passwd").string() + "\n");
    ASSERT_TRUE(broker.start());
    Program program(broker, true, "wrong");
    program.start({});
    // The first try, and the tries after 1 s and 2 s, each refused.
    ASSERT_TRUE(waitUntil([&] { return occurrences(broker.log(), "New connection from") >= 3; }, 10000))
        << broker.log();
    std::vector<std::string> lines;
    for (const auto& line : splitAt(program.errors(), "\n"))
        if (line.find("MQTT") != std::string::npos) lines.push_back(line);
    EXPECT_EQ(lines, std::vector<std::string>{"zulmarin: MQTT: the broker at " + broker.url() +
                                              " refused the connection (Not authorized); trying again"});

    // The settings window's test, with the wrong password and then the right one.
    qtApplication();
    qt::QtEventLoop loop;
    MemorySettings settings;
    mqtt::MqttSettingsForm form(
        settings, loop, [] { return std::make_unique<mqtt::MosquittoClient>(); }, "zul-test");
    std::vector<std::string> results;
    form.done = [&](bool ok, const std::string& text) { results.push_back((ok ? "ok: " : "no: ") + text); };
    form.values.broker = broker.url();
    form.values.username = "zul";
    for (const char* password : {"wrong", "right"}) {
        form.values.password = password;
        form.testConnection();
        waitUntil([&] { return loop.processEvents(), !form.testing(); }, 6000);
    }
    EXPECT_EQ(results, (std::vector<std::string>{
                           "no: The broker at " + broker.url() + " refused the connection: Not authorized.",
                           "ok: Connected to " + broker.url() + ": the broker accepted the login."}));
}

// A stop is a stop: what the hub sends while the service is stopped never
// runs at its next start, cycle after cycle.
TEST(MqttEndToEnd, CommandsSentWhileTheServiceIsStoppedNeverRun) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker);
    std::string id;
    for (int cycle = 1; cycle <= 10; ++cycle) {
        ASSERT_TRUE(startsOnline(broker, program, {"service"}));
        id = clientIdOf(program);
        // A command sent now runs; one the broker kept from the stop would have come before it.
        const std::string unit = "C" + std::to_string(cycle);
        broker.publish("zulmarin/unit/" + unit + "/set", "ON");
        ASSERT_TRUE(waitUntil([&] { return program.count(unit + " ON") == 1; }, 5000));
        ASSERT_EQ(program.end(SIGTERM), 0);
        EXPECT_EQ(broker.retained("zulmarin/status"), "offline");
        broker.publish("zulmarin/unit/A8/set", "ON");
    }
    EXPECT_EQ(program.count("A8 ON"), 0u);
    // Ten clean goodbyes: the broker got our DISCONNECT each time.
    EXPECT_EQ(occurrences(broker.log(), "Client " + id + " disconnected.\n"), 10u) << broker.log();
}

// The broker keeps commands for a crashed service a short while only
// ("KeepCommandsSeconds"): one sent just before a quick restart still runs,
// one sent before a long absence never does.
TEST(MqttEndToEnd, AQueuedCommandRunsAfterAShortAbsenceButNotAfterALongOne) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, true, "", [](mqtt::MqttSettings& m) { m.keepCommandsSeconds = 5; });
    const auto crashAndSend = [&](const std::string& unit) {
        ASSERT_TRUE(startsOnline(broker, program, {"service"}));
        program.end(SIGKILL);
        ASSERT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "offline"; }, 5000)); // the last will
        broker.publish("zulmarin/unit/" + unit + "/set", "ON");
    };
    crashAndSend("A6");
    program.start({"service"});
    EXPECT_TRUE(waitUntil([&] { return program.count("A6 ON") == 1; }, 5000)) << program.errors();
    program.end(SIGTERM);

    crashAndSend("A7");
    ASSERT_TRUE(waitUntil([&] { return broker.log().find("Expiring client") != std::string::npos; }, 15000))
        << broker.log();
    ASSERT_TRUE(startsOnline(broker, program, {"service"}));
    broker.publish("zulmarin/unit/C1/set", "ON");
    ASSERT_TRUE(waitUntil([&] { return program.count("C1 ON") == 1; }, 5000));
    EXPECT_EQ(program.count("A7 ON"), 0u);
}

// Two installs on one host and one broker, with their own base topics: each
// keeps its own connection and its own entities.
TEST(MqttEndToEnd, TwoInstallsOnOneBrokerKeepTheirConnectionsAndTheirEntities) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    const auto newInstall = [](const std::string& base) {
        return [base](mqtt::MqttSettings& m) { m.broker = "", m.baseTopic = base; };
    };
    Program home(broker, false, "", newInstall("zulmarin")), kitchen(broker, false, "", newInstall("kitchen"));
    ASSERT_TRUE(startsOnline(broker, home, {"service", "--mqtt", broker.url()}));
    ASSERT_TRUE(startsOnline(broker, kitchen, {"service", "--mqtt", broker.url()}, "kitchen"));
    // Each answers its own commands only, over the connection it started with:
    // neither took the other's connection over, and no config went.
    for (auto* program : {&home, &kitchen}) {
        const std::string base = program == &home ? "zulmarin" : "kitchen";
        ASSERT_TRUE(broker.publish(base + "/unit/A3/set", "ON"));
        EXPECT_TRUE(waitUntil([&] { return broker.retained(base + "/unit/A3/state") == "ON"; }, 5000)) << base;
        EXPECT_EQ(program->count("A3 ON"), 1u) << base;
    }
    EXPECT_EQ(home.count("A3 ON"), 1u) << "the kitchen's command went to the home install";
    EXPECT_EQ(broker.log().find("already connected"), std::string::npos);
    for (const auto* program : {&home, &kitchen}) {
        const std::string base = program == &home ? "zulmarin" : "kitchen";
        const std::string timers = broker.retained("homeassistant/switch/" + clientIdOf(*program) + "/timers/config");
        EXPECT_NE(timers.find("\"command_topic\":\"" + base + "/timers/set\""), std::string::npos) << timers;
    }
}

// Problems the client meets are told, each kind once: a certificate that
// does not name the host, nothing listening on a port.
TEST(MqttEndToEnd, ATlsOrConnectionFailureIsToldWithItsReason) {
    REQUIRE_MOSQUITTO();
    if (findProgram("openssl").empty()) GTEST_SKIP() << "openssl is not installed (./zul installs it)";
    TempDir certs;
    const std::string ca = (certs / "ca").string(), server = (certs / "server").string();
    writeFile(certs / "ext", "subjectAltName=IP:127.0.0.1\n");
    ASSERT_EQ(
        std::system(("(cd " + certs.path().string() +
                     " && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 1 -subj /CN=ca"
                     " && openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj /CN=127.0.0.1"
                     " && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt"
                     " -days 1 -extfile ext) >/dev/null 2>&1")
                        .c_str()),
        0);
    Broker broker("allow_anonymous true\ncafile " + ca + ".crt\ncertfile " + server + ".crt\nkeyfile " + server +
                  ".key\n");
    ASSERT_TRUE(broker.start());
    const int port = std::stoi(broker.url().substr(broker.url().rfind(':') + 1));
    Program program(broker, true, "", [&](mqtt::MqttSettings& m) {
        m.broker = "mqtts://localhost:" + std::to_string(port); // the certificate names 127.0.0.1 only
        m.caFile = ca + ".crt";
    });
    program.start({"service"});
    EXPECT_TRUE(waitUntil([&] { return program.said("(TLS failed: certificate verify failed); trying again"); }, 5000))
        << program.errors();
    program.end(SIGTERM);

    Program nobody(broker, true, "",
                   [](mqtt::MqttSettings& m) { m.broker = "mqtt://127.0.0.1:" + std::to_string(freePort()); });
    nobody.start({"service"});
    EXPECT_TRUE(waitUntil(
        [&] { return nobody.said("(connection refused: nothing listens on that port); trying again"); }, 5000))
        << nobody.errors();
}

} // namespace
} // namespace zul::test
