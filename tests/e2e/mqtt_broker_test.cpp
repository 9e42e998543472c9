// The MQTT bridge end to end: Debian's mosquitto on a free loopback port with
// its own config in a temp folder, zulmarin (the service, or the desktop
// program offscreen) on a pseudo-terminal with the modem shim, and
// mosquitto_pub / mosquitto_sub in the hub's place. Every config found on the
// broker is checked against the hub's rules.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

#include "mqtt/mqtt_settings.h"
#include "mqtt/mqtt_settings_page.h"
#include "mqtt/mosquitto/mosquitto_client.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/text.h"
#include "process.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/hub_config_check.h"
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
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// The loopback address with a port; port 0 picks a free one.
sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
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
    static int freePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(0);
        socklen_t len = sizeof a;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        close(s);
        return ntohs(a.sin_port);
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
                const sockaddr_in a = loopback(port_);
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
    // Every retained discovery config: topic -> payload.
    std::map<std::string, std::string> configs() {
        std::map<std::string, std::string> out;
        for (const std::string& line :
             splitAt(output(client("mosquitto_sub", "homeassistant/#") + " -v -W 1 --retained-only 2>/dev/null"), "\n"))
            if (const auto space = line.find(' '); space != std::string::npos)
                out[line.substr(0, space)] = line.substr(space + 1);
        return out;
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

// zulmarin's files in a temp folder, and the program itself on a pty.
class Program {
public:
    // enabled false: the bridge is off in the settings (the service's --mqtt names the broker).
    // adjust changes the "Mqtt" settings further; a broker left empty there
    // makes a new install, one set makes an install from before ids.
    explicit Program(const Broker& broker, bool enabled = true, const std::string& password = "",
                     const std::function<void(mqtt::MqttSettings&)>& adjust = {}) {
        std::filesystem::create_directories(dir_ / "home");
        RecordStore records;
        records.open(dir_ / "home" / "db.zld");
        records.writeRecord(270, pty_.slave, true);
        records.writeRecord(3, "A3## Porch light", true);
        records.writeRecord(281, "1", true);   // panic: group 1,
        records.writeRecord(280, "0,1", true); // off again after 1 s
        writeFile(dir_ / "home" / "file0.grp", "\"Group 1, Outside\"\r\n\"0110000000000000\"\r\n");
        IniSettingsStore settings(dir_ / "config" / "settings.ini");
        mqtt::MqttSettings m;
        m.enabled = enabled;
        m.broker = broker.url();
        m.username = password.empty() ? "" : "zul";
        m.password = password;
        if (adjust) adjust(m);
        mqtt::saveMqttSettings(settings, m);
        settings.write(Setting::UpdateCheck, "0");
    }
    // args: {} for the desktop program, {"service", ...} for the service.
    void start(const std::vector<std::string>& args) {
        RunOptions options(modemShim(log()));
        // Its own channel folder: a program killed here leaves its socket behind.
        options.env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        process_ = std::make_unique<Spawned>(dir_, args, options, "program");
    }
    int end(int signal) {
        process_->signal(signal);
        return process_->wait(5000);
    }
    std::filesystem::path log() const { return dir_ / "modem.log"; }
    std::vector<sim::DecodedSignal> decoded() const { return decodeModemLog(log(), nullptr, false); }
    std::size_t count(const std::string& frame) const {
        const auto all = decoded();
        return std::count_if(all.begin(), all.end(), [&](const sim::DecodedSignal& s) { return s.text == frame; });
    }
    std::string errors() const { return process_->err(); }
    bool said(const std::string& text) const { return errors().find(text) != std::string::npos; }
    pid_t pid() const { return process_->pid(); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    Pty pty_;
    std::unique_ptr<Spawned> process_;
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

// What is wrong with the configs on the broker by the hub's rules, or because
// one does not ask for QoS 1 commands.
std::vector<std::string> configProblems(const std::map<std::string, std::string>& configs) {
    std::vector<std::string> problems;
    for (const auto& [topic, json] : configs) {
        for (const auto& p : hubConfigProblems(splitAt(topic, "/").at(1), json)) problems.push_back(topic + ": " + p);
        if (jsonField(json, "qos") != "1") problems.push_back(topic + ": no qos 1");
    }
    return problems;
}

TEST(MqttEndToEnd, AHubSeesAndSwitchesTheServiceThroughARealBroker) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    ASSERT_TRUE(startsOnline(broker, program, {"service", "--mqtt", broker.url()}));
    EXPECT_FALSE(broker.retained("homeassistant/button/zulmarin/panic/config").empty());
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

    broker.publish("zulmarin/group/1/set", "ON");
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/group/1/state") == "ON"; }, 5000));
    broker.publish("zulmarin/panic/set", "PRESS");
    EXPECT_TRUE(waitUntil([&] { return program.count("A1 OFF") == 1; }, 5000));
    EXPECT_EQ(program.count("A1 ON"), 2u);

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

    // A clean stop says offline itself (the last will is not used) and leaves
    // nothing subscribed; so does the broker for a program that goes without a word.
    EXPECT_EQ(program.end(SIGTERM), 0);
    EXPECT_EQ(broker.retained("zulmarin/status"), "offline");
    EXPECT_NE(broker.log().find("Client " + clientIdOf(program) + " disconnected."), std::string::npos) << broker.log();
    Program desktop(broker);
    ASSERT_TRUE(startsOnline(broker, desktop, {}));
    const std::string goodbye = "Client " + clientIdOf(desktop) + " disconnected.\n";
    const std::size_t goodbyes = occurrences(broker.log(), goodbye);
    EXPECT_EQ(desktop.end(SIGTERM), 0);
    EXPECT_EQ(broker.retained("zulmarin/status"), "offline");
    EXPECT_EQ(occurrences(broker.log(), goodbye), goodbyes + 1);
    ASSERT_TRUE(startsOnline(broker, desktop, {}));
    desktop.end(SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "offline"; }, 5000));
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

// A lamp dims to an assumed brightness, an appliance is a switch, and a
// macro's id stays when another macro file comes; every config on the broker
// is one the hub takes.
TEST(MqttEndToEnd, LampsAppliancesAndMacrosReachTheHubAsTheyShould) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    ASSERT_TRUE(startsOnline(broker, program, {"service", "--mqtt", broker.url()}));

    // Half brightness: ON to address A3 and put it at full, then ten of the twenty DIM steps.
    broker.publish("zulmarin/unit/A3/brightness/set", "50");
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/unit/A3/brightness/state") == "50"; }, 12000));
    EXPECT_EQ(program.decoded().size(), 11u);
    EXPECT_EQ(program.count("A3 ON"), 1u);
    EXPECT_EQ(program.count("A DIM"), 10u);

    EXPECT_EQ(runZulmarin(program.dir(), {"units", "describe", "A4", "Pump", "--appliance"}).rc, 0);
    writeFile(program.dir() / "home" / "Good Night.cro", "");
    const std::string goodNight = "homeassistant/button/zulmarin/macro_good_night_9e29321a/config";
    EXPECT_TRUE(waitUntil([&] { return !broker.retained(goodNight).empty(); }, 8000));
    writeFile(program.dir() / "home" / "Good night.cro", "");
    EXPECT_TRUE(waitUntil([&] { return broker.configs().size() == 7; }, 8000));
    const auto configs = broker.configs();
    EXPECT_EQ(jsonField(configs.at(goodNight), "payload_press"), "\"Good Night.cro\"");
    EXPECT_EQ(jsonField(configs.at("homeassistant/switch/zulmarin/a4/config"), "name"), "\"Pump\"");
    EXPECT_EQ(configProblems(configs), std::vector<std::string>{});
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
// keeps its own connection and all its own entities.
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
    ASSERT_TRUE(waitUntil([&] { return broker.configs().size() == 8; }, 5000)); // four each
    EXPECT_NE(clientIdOf(home), clientIdOf(kitchen));
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
    const auto configs = broker.configs();
    EXPECT_EQ(configs.size(), 8u);
    EXPECT_EQ(configProblems(configs), std::vector<std::string>{});
    for (const auto* program : {&home, &kitchen}) {
        const std::string id = clientIdOf(*program);
        const std::string base = program == &home ? "zulmarin" : "kitchen";
        ASSERT_TRUE(configs.count("homeassistant/switch/" + id + "/timers/config")) << id;
        EXPECT_EQ(jsonField(configs.at("homeassistant/switch/" + id + "/timers/config"), "command_topic"),
                  "\"" + base + "/timers/set\"");
    }
}

// A port that cannot be opened: the entities are unavailable, and a command
// gives no state, only the reason.
TEST(MqttEndToEnd, WithoutAnOpenPortTheTransmitterIsOfflineAndNoStateIsPublished) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker);
    program.start({"service", "--port", (program.dir() / "no-such-adapter").string()});
    ASSERT_TRUE(waitUntil([&] { return broker.retained("zulmarin/transmitter") == "offline"; }, 10000))
        << program.errors();
    EXPECT_TRUE(program.said("cannot open port"));
    broker.publish("zulmarin/unit/A3/set", "ON");
    EXPECT_TRUE(waitUntil([&] { return program.said("the transmitter's port is not open"); }, 5000));
    EXPECT_EQ(broker.retained("zulmarin/unit/A3/state"), "");
    EXPECT_EQ(jsonField(broker.retained("homeassistant/light/zulmarin/a3/config"), "availability_mode"), "\"all\"");
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
                   [](mqtt::MqttSettings& m) { m.broker = "mqtt://127.0.0.1:" + std::to_string(Broker::freePort()); });
    nobody.start({"service"});
    EXPECT_TRUE(waitUntil(
        [&] { return nobody.said("(connection refused: nothing listens on that port); trying again"); }, 5000))
        << nobody.errors();
}

// Run by hand (ZUL_MQTT_BENCH=1 ./build/tests/test_e2e --gtest_filter='*Figures*'):
// a hub's client in this process publishes at QoS 1 and takes the state the
// bridge publishes back. From publish to state, 50 commands one by one; then
// 8 commands for 8 units at once, back to back, until the last state; then
// the service's CPU time while it idles, connected, for 60 s.
TEST(MqttEndToEnd, FiguresPublishToStateThroughputAndIdleCpu) {
    if (!std::getenv("ZUL_MQTT_BENCH")) GTEST_SKIP() << "a benchmark: set ZUL_MQTT_BENCH=1 to run it";
    REQUIRE_MOSQUITTO();
    using Clock = std::chrono::steady_clock;
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    ASSERT_TRUE(startsOnline(broker, program, {"service", "--mqtt", broker.url()}));
    std::mutex mutex;
    std::map<std::string, std::pair<std::string, Clock::time_point>> states; // topic -> payload, when
    mqtt::MosquittoClient hub;
    mqtt::ClientOptions options;
    options.broker = {"127.0.0.1", std::stoi(broker.url().substr(broker.url().rfind(':') + 1)), false};
    options.clientId = "bench_hub";
    options.cleanSession = true;
    std::atomic<bool> up = false;
    hub.start(options, [&](mqtt::ClientEvent e) {
        if (e.kind == mqtt::ClientEvent::Kind::Connected) up = e.code == 0;
        if (e.kind != mqtt::ClientEvent::Kind::Message) return;
        std::lock_guard<std::mutex> lock(mutex);
        states[e.topic] = {e.payload, Clock::now()};
    });
    ASSERT_TRUE(waitUntil([&] { return up.load(); }, 5000));
    hub.subscribe("zulmarin/unit/+/state", 1);
    const auto stateOf = [&](const std::string& topic) {
        std::lock_guard<std::mutex> lock(mutex);
        return states[topic];
    };
    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
        const std::string word = i % 2 ? "OFF" : "ON";
        const auto sent = Clock::now();
        hub.publish("zulmarin/unit/A3/set", word, 1, false);
        ASSERT_TRUE(waitUntil([&] { return stateOf("zulmarin/unit/A3/state").first == word; }, 5000));
        ms.push_back(
            std::chrono::duration<double, std::milli>(stateOf("zulmarin/unit/A3/state").second - sent).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(800)); // past the send queue's gap
    }
    std::sort(ms.begin(), ms.end());
    std::printf("publish to state, 50 commands: median %.1f ms, best %.1f ms, worst %.1f ms\n", (ms[24] + ms[25]) / 2,
                ms.front(), ms.back());

    const auto burst = Clock::now();
    for (int unit = 1; unit <= 8; ++unit)
        hub.publish("zulmarin/unit/B" + std::to_string(unit) + "/set", "ON", 1, false);
    ASSERT_TRUE(waitUntil([&] { return stateOf("zulmarin/unit/B8/state").first == "ON"; }, 15000));
    const double seconds = std::chrono::duration<double>(stateOf("zulmarin/unit/B8/state").second - burst).count();
    std::printf("8 commands back to back: last state after %.2f s, %.2f frames per second\n", seconds, 8 / seconds);
    hub.stop();

    const auto cpuTicks = [&] {
        const std::string stat = readFile("/proc/" + std::to_string(program.pid()) + "/stat");
        const auto fields = splitAt(stat.substr(stat.rfind(')') + 2), " ");
        return std::stol(fields.at(11)) + std::stol(fields.at(12));
    };
    const long before = cpuTicks();
    std::this_thread::sleep_for(std::chrono::seconds(60));
    const long used = cpuTicks() - before;
    std::printf("idle, connected, 60 s: %ld ticks, %.3f%% of one core\n", used,
                100.0 * used / sysconf(_SC_CLK_TCK) / 60);
}

} // namespace
} // namespace zul::test
