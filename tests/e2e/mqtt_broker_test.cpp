// The MQTT bridge end to end: Debian's mosquitto on a free loopback port with
// its own config in a temp folder, the zulmarin program (offscreen) on a
// pseudo-terminal with the modem shim, and the test in the hub's place.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <pwd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "mqtt/mqtt_settings.h"
#include "mqtt/settings_form.h"
#include "platform/qt/mosquitto_client.h"
#include "platform/qt/qt_event_loop.h"
#include "process.h"
#include "settings/record_store.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "support/qt_application.h"

namespace zul::test {
namespace {

using namespace std::chrono_literals;

std::string findProgram(const std::string& name) {
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        const auto path = std::filesystem::path(dir) / name;
        if (access(path.c_str(), X_OK) == 0) return path.string();
    }
    return "";
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A loopback port nobody listens on now.
int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

bool accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

// mosquitto with its config, its persistence and its log in a temp folder.
class Broker {
public:
    explicit Broker(const std::string& extraConfig = "") : port_(freePort()) {
        writeFile(dir_ / "mosquitto.conf", "listener " + std::to_string(port_) + " 127.0.0.1\n" +
                                               "persistence true\npersistence_location " + dir_.path().string() +
                                               "/\nlog_dest file " + (dir_ / "broker.log").string() + "\n" +
                                               "user " + getpwuid(getuid())->pw_name + "\n" +  // root would hand over to 'mosquitto'
                                               (extraConfig.empty() ? "allow_anonymous true\n" : extraConfig));
    }
    ~Broker() { stop(); }
    static std::string program() { return findProgram("mosquitto"); }
    bool start() {
        pid_ = fork();
        if (pid_ == 0) {
            dup2(open("/dev/null", O_WRONLY), 2);  // its own log has what it says
            execl(program().c_str(), "mosquitto", "-c", (dir_ / "mosquitto.conf").c_str(), nullptr);
            _exit(127);
        }
        return eventually([this] { return accepts(port_); }, 5000ms);
    }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitForExit(pid_, std::chrono::seconds(5));
        pid_ = -1;
    }
    int port() const { return port_; }
    std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    int port_;
    pid_t pid_ = -1;
};

// The hub's side: a client that records every message it sees.
class Hub {
public:
    struct Seen {
        std::string topic, payload;
        bool retained;
    };
    explicit Hub(const Broker& broker, const std::string& id = "hub") {
        mqtt::ClientOptions o;
        o.broker = {"127.0.0.1", broker.port(), false};
        o.clientId = id;
        o.cleanSession = true;
        client_.start(o, [this](mqtt::ClientEvent e) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (e.kind == mqtt::ClientEvent::Kind::Connected && e.code == 0) connected_ = true;
            if (e.kind == mqtt::ClientEvent::Kind::Message) seen_.push_back({e.topic, e.payload, e.retained});
        });
        eventually([this] { return isConnected(); }, 5000ms);
        client_.subscribe("zulmarin/#", 1);
        client_.subscribe("homeassistant/#", 1);
    }
    bool isConnected() {
        std::lock_guard<std::mutex> lock(mutex_);
        return connected_;
    }
    void publish(const std::string& topic, const std::string& payload) { client_.publish(topic, payload, 1, false); }
    // The last payload seen on a topic (retained only when asked), "" when none.
    std::string last(const std::string& topic, bool retainedOnly = false) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = seen_.rbegin(); it != seen_.rend(); ++it)
            if (it->topic == topic && (it->retained || !retainedOnly)) return it->payload;
        return "";
    }
    bool waitFor(const std::string& topic, const std::string& payload, bool retainedOnly = false,
                 std::chrono::milliseconds limit = 5000ms) {
        return eventually([&] { return last(topic, retainedOnly) == payload; }, limit);
    }

private:
    qt::MosquittoClient client_;
    std::mutex mutex_;
    std::vector<Seen> seen_;
    bool connected_ = false;
};

// zulmarin's files in a temp folder, and the program itself on a pty.
class Program {
public:
    explicit Program(const Broker& broker, const std::string& password = "") {
        std::filesystem::create_directories(dir_ / "home");
        RecordStore records;
        records.open(dir_ / "home" / "db.zld");
        records.WriteRecord(270, pty_.slave, true);
        records.WriteRecord(3, "A3## Porch light", true);
        records.WriteRecord(281, "1", true);    // panic: group 1,
        records.WriteRecord(280, "0,1", true);  // off again after 1 s
        writeFile(dir_ / "home" / "file0.grp", "\"Group 1, Outside\"\r\n\"0110000000000000\"\r\n");
        IniSettingsStore settings(dir_ / "config" / "settings.ini");
        mqtt::MqttSettings m;
        m.enabled = true;
        m.broker = broker.url();
        m.username = password.empty() ? "" : "zul";
        m.password = password;
        mqtt::saveMqttSettings(settings, m);
        settings.write("Settings", "ChkForUpdts", "0");
    }
    void start() { pid_ = spawnZulmarin(dir_, {}, modemShimEnv(log())); }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitForExit(pid_, std::chrono::seconds(5));
        }
    }
    void end(int signal) {
        kill(pid_, signal);
        waitForExit(pid_, std::chrono::seconds(5));
        pid_ = -1;
    }
    std::string log() const { return (dir_ / "modem.log").string(); }
    std::vector<std::string> frames() const {
        std::vector<std::string> out;
        for (const auto& s : decodeModemLog(log(), nullptr, false)) out.push_back(s.text);
        return out;
    }
    std::size_t count(const std::string& frame) const {
        const auto all = frames();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), frame));
    }
    std::string errors() const { return readFile(dir_ / "stderr"); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    Pty pty_;
    pid_t pid_ = -1;
};

#define REQUIRE_MOSQUITTO()                                                                   \
    if (Broker::program().empty()) GTEST_SKIP() << "mosquitto is not installed (./zul installs it)"

TEST(MqttEndToEnd, AHubSeesAndSwitchesTheProgramThroughARealBroker) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker);
    program.start();
    Hub hub(broker);
    ASSERT_TRUE(hub.waitFor("zulmarin/status", "online", false, 10000ms)) << program.errors();

    // A hub that comes later finds everything retained.
    Hub late(broker, "late-hub");
    EXPECT_TRUE(late.waitFor("zulmarin/status", "online", true));
    for (const char* config : {"light/zulmarin/a3", "switch/zulmarin/group1", "button/zulmarin/panic", "switch/zulmarin/timers"})
        EXPECT_FALSE(late.last("homeassistant/" + std::string(config) + "/config", true).empty()) << config;
    EXPECT_NE(late.last("homeassistant/light/zulmarin/a3/config").find("\"name\":\"Porch light\""), std::string::npos);

    hub.publish("zulmarin/unit/A3/set", "ON");
    EXPECT_TRUE(eventually([&] { return program.count("A3 ON") == 1; }, 5000ms));
    EXPECT_TRUE(hub.waitFor("zulmarin/unit/A3/state", "ON"));

    // A description set from the command line reaches the hub through the running copy.
    const pid_t units = spawnZulmarin(program.dir(), {"units", "describe", "B2", "Hall lamp"}, {}, "units-");
    ASSERT_EQ(waitForExit(units, std::chrono::seconds(10)), 0);
    EXPECT_TRUE(eventually(
        [&] { return hub.last("homeassistant/light/zulmarin/b2/config").find("\"Hall lamp\"") != std::string::npos; },
        5000ms));

    hub.publish("zulmarin/group/1/set", "ON");
    EXPECT_TRUE(hub.waitFor("zulmarin/group/1/state", "ON"));
    hub.publish("zulmarin/panic/set", "PRESS");
    EXPECT_TRUE(eventually([&] { return program.count("A1 OFF") == 1; }, 5000ms));
    EXPECT_EQ(program.count("A1 ON"), 2u);

    // Bad payloads change nothing.
    const std::size_t before = program.frames().size();
    for (const auto& [topic, payload] : std::vector<std::pair<std::string, std::string>>{
             {"zulmarin/unit/A3/set", "TOGGLE"}, {"zulmarin/unit/Z9/set", "ON"}, {"zulmarin/group/1/set", "\x01\x02"},
             {"zulmarin/unit/A3/set", std::string(1 << 20, 'O')}, {"zulmarin/macro/run", "../../etc/passwd"}})
        hub.publish(topic, payload);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(program.frames().size(), before);
    EXPECT_EQ(hub.last("zulmarin/unit/A3/state"), "ON");

    // The broker restarts; a command published right after it is back still arrives.
    broker.stop();
    ASSERT_TRUE(broker.start());
    const std::string pub = findProgram("mosquitto_pub");
    ASSERT_FALSE(pub.empty());
    const std::string command = pub + " -p " + std::to_string(broker.port()) + " -q 1 -t zulmarin/unit/A5/set -m ON";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(eventually([&] { return program.count("A5 ON") == 1; }, 10000ms)) << program.errors();
    EXPECT_NE(program.errors().find("MQTT: lost the connection to " + broker.url()), std::string::npos);

    // The program goes without a word: the broker says offline for it.
    Hub after(broker, "after-hub");
    program.end(SIGKILL);
    EXPECT_TRUE(after.waitFor("zulmarin/status", "offline"));
}

TEST(MqttEndToEnd, ARefusedLoginIsOneClearLineAndTheTestButtonSaysSo) {
    REQUIRE_MOSQUITTO();
    TempDir files;
    const std::string passwd = findProgram("mosquitto_passwd");
    ASSERT_FALSE(passwd.empty());
    ASSERT_EQ(std::system((passwd + " -b -c " + (files / "passwd").string() + " zul right >/dev/null").c_str()), 0);
    Broker broker("allow_anonymous false\npassword_file " + (files / "passwd").string() + "\n");
    ASSERT_TRUE(broker.start());
    Program program(broker, "wrong");
    program.start();
    std::this_thread::sleep_for(5000ms);  // start-up, then tries after 1 s and 2 s
    const std::string errors = program.errors();
    std::vector<std::string> mqttLines;
    for (const auto& line : splitAt(errors, "\n"))
        if (line.find("MQTT") != std::string::npos) mqttLines.push_back(line);
    EXPECT_EQ(mqttLines, std::vector<std::string>{"zulmarin: MQTT: the broker at " + broker.url() +
                                                  " refused the connection (Connection Refused: not authorised); trying again"})
        << errors;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), 0);  // still running

    // The settings window's test, with the wrong password and then the right one.
    qtApplication();
    qt::QtEventLoop loop;
    MemorySettings settings;
    mqtt::MqttSettingsForm form(settings, loop, [] { return std::make_unique<qt::MosquittoClient>(); }, "zul-test");
    std::vector<std::string> results;
    form.done = [&](bool ok, const std::string& text) { results.push_back((ok ? "ok: " : "no: ") + text); };
    form.values.broker = broker.url();
    form.values.username = "zul";
    for (const char* password : {"wrong", "right"}) {
        form.values.password = password;
        form.testConnection();
        eventually([&] { loop.processEvents(); return !form.testing(); }, 6000ms);
    }
    EXPECT_EQ(results, (std::vector<std::string>{
                           "no: The broker at " + broker.url() + " refused the connection: Connection Refused: not authorised.",
                           "ok: Connected to " + broker.url() + ": the broker accepted the login."}));
}

// Run by hand (ZUL_MQTT_BENCH=1 ./build/tests/test_e2e --gtest_filter='*Latency*'): from
// the start of mosquitto_pub publishing ON to the last line change of the frame
// on the pseudo-terminal, 100 times.
TEST(MqttEndToEnd, LatencyFromPublishToTheFramesLastLineChange) {
    if (!std::getenv("ZUL_MQTT_BENCH")) GTEST_SKIP() << "a benchmark: set ZUL_MQTT_BENCH=1 to run it";
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker);
    IniSettingsStore(program.dir() / "config" / "settings.ini").write("Settings", "GPause", "0");
    program.start();
    Hub hub(broker);
    ASSERT_TRUE(hub.waitFor("zulmarin/status", "online", false, 10000ms));
    const std::string pub = findProgram("mosquitto_pub"), port = std::to_string(broker.port());
    std::vector<double> ms;
    for (int i = 0; i < 100; ++i) {
        const std::size_t before = program.frames().size();
        const auto start = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now().time_since_epoch()).count();
        const pid_t p = fork();
        if (p == 0) {
            execl(pub.c_str(), "mosquitto_pub", "-p", port.c_str(), "-q", "1", "-t", "zulmarin/unit/A3/set", "-m", "ON",
                  nullptr);
            _exit(127);
        }
        std::vector<sim::DecodedSignal> frames;
        ASSERT_TRUE(eventually([&] { return (frames = decodeModemLog(program.log(), nullptr, false)).size() > before; }, 5000ms));
        waitForExit(p, std::chrono::seconds(5));
        ms.push_back(double(frames.back().micros - start) / 1000);
        std::this_thread::sleep_for(100ms);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("publish to last line change, 100 runs: median %.1f ms, best %.1f ms, worst %.1f ms\n",
                (ms[49] + ms[50]) / 2, ms.front(), ms.back());
}

} // namespace
} // namespace zul::test
