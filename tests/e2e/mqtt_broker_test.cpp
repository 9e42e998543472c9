// The MQTT bridge end to end: Debian's mosquitto on a free loopback port with
// its own config in a temp folder, zulmarin (the service, or the desktop
// program offscreen) on a pseudo-terminal with the modem shim, and
// mosquitto_pub / mosquitto_sub in the hub's place.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "mqtt/mqtt_settings.h"
#include "mqtt/settings_form.h"
#include "platform/qt/mosquitto_client.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/text.h"
#include "process.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
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
    explicit Broker(const std::string& access = "allow_anonymous true\n") {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(0);
        socklen_t len = sizeof a;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        close(s);
        port_ = ntohs(a.sin_port);
        writeFile(dir_ / "mosquitto.conf",
                  "listener " + std::to_string(port_) + " 127.0.0.1\npersistence true\npersistence_location " +
                      dir_.path().string() + "/\nlog_dest file " + (dir_ / "broker.log").string() + "\nuser " +
                      getpwuid(getuid())->pw_name + "\n" + access);  // as root it would hand over to 'mosquitto'
    }
    ~Broker() { stop(); }
    static bool installed() { return !findProgram("mosquitto").empty(); }
    bool start() {
        pid_ = fork();
        if (pid_ == 0) {
            dup2(open("/dev/null", O_WRONLY), 2);  // its own log has what it says
            execl(findProgram("mosquitto").c_str(), "mosquitto", "-c", (dir_ / "mosquitto.conf").c_str(), nullptr);
            _exit(127);
        }
        return waitUntil([this] {
            const int s = socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in a = loopback(port_);
            const bool up = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
            close(s);
            return up;
        }, 5000);
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
    explicit Program(const Broker& broker, bool enabled = true, const std::string& password = "") {
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
        m.enabled = enabled;
        m.broker = broker.url();
        m.username = password.empty() ? "" : "zul";
        m.password = password;
        mqtt::saveMqttSettings(settings, m);
        settings.write("Settings", "ChkForUpdts", "0");
    }
    // args: {} for the desktop program, {"service", ...} for the service.
    void start(const std::vector<std::string>& args) {
        RunOptions options(modemShim(log()));
        // Its own channel folder: a program killed here leaves its socket behind.
        options.env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        process_ = std::make_unique<Spawned>(dir_, args, options, "program");
    }
    void end(int signal) {
        process_->signal(signal);
        process_->wait(5000);
    }
    std::filesystem::path log() const { return dir_ / "modem.log"; }
    std::vector<sim::DecodedSignal> decoded() const { return decodeModemLog(log(), nullptr, false); }
    std::size_t count(const std::string& frame) const {
        const auto all = decoded();
        return std::count_if(all.begin(), all.end(), [&](const sim::DecodedSignal& s) { return s.text == frame; });
    }
    std::string errors() const { return process_->err(); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    Pty pty_;
    std::unique_ptr<Spawned> process_;
};

#define REQUIRE_MOSQUITTO() \
    if (!Broker::installed()) GTEST_SKIP() << "mosquitto is not installed (./zul installs it)"

TEST(MqttEndToEnd, AHubSeesAndSwitchesTheServiceThroughARealBroker) {
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    program.start({"service", "--mqtt", broker.url()});
    ASSERT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "online"; }, 10000)) << program.errors();
    EXPECT_FALSE(broker.retained("homeassistant/button/zulmarin/panic/config").empty());
    EXPECT_NE(broker.retained("homeassistant/light/zulmarin/a3/config").find("\"name\":\"Porch light\""), std::string::npos);

    broker.publish("zulmarin/unit/A3/set", "ON");
    EXPECT_TRUE(waitUntil([&] { return program.count("A3 ON") == 1; }, 5000));
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/unit/A3/state") == "ON"; }, 5000));

    // A description set from the command line reaches the hub through the running copy.
    EXPECT_EQ(runZulmarin(program.dir(), {"units", "describe", "B2", "Hall lamp"}).rc, 0);
    EXPECT_TRUE(waitUntil(
        [&] { return broker.retained("homeassistant/light/zulmarin/b2/config").find("\"Hall lamp\"") != std::string::npos; },
        5000));

    broker.publish("zulmarin/group/1/set", "ON");
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/group/1/state") == "ON"; }, 5000));
    broker.publish("zulmarin/panic/set", "PRESS");
    EXPECT_TRUE(waitUntil([&] { return program.count("A1 OFF") == 1; }, 5000));
    EXPECT_EQ(program.count("A1 ON"), 2u);

    // Bad payloads change nothing.
    const std::size_t before = program.decoded().size();
    for (const auto& [topic, payload] : std::vector<std::pair<std::string, std::string>>{
             {"zulmarin/unit/A3/set", "TOGGLE"}, {"zulmarin/unit/Z9/set", "ON"}, {"zulmarin/group/1/set", "\x01\x02"},
             {"zulmarin/unit/A3/set", std::string(1 << 20, 'O')}, {"zulmarin/macro/run", "../../etc/passwd"}})
        broker.publish(topic, payload);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(program.decoded().size(), before);
    EXPECT_EQ(broker.retained("zulmarin/unit/A3/state"), "ON");

    // The broker restarts; a command published right after it is back still arrives.
    broker.stop();
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(broker.publish("zulmarin/unit/A5/set", "ON"));
    EXPECT_TRUE(waitUntil([&] { return program.count("A5 ON") == 1; }, 10000)) << program.errors();
    EXPECT_NE(program.errors().find("MQTT: lost the connection to " + broker.url()), std::string::npos);

    // A clean stop says offline; so does the broker for a program that goes without a word.
    program.end(SIGTERM);
    EXPECT_EQ(broker.retained("zulmarin/status"), "offline");
    Program desktop(broker);
    desktop.start({});
    ASSERT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "online"; }, 10000)) << desktop.errors();
    desktop.end(SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "offline"; }, 5000));
}

TEST(MqttEndToEnd, ARefusedLoginIsOneClearLineAndTheTestButtonSaysSo) {
    REQUIRE_MOSQUITTO();
    TempDir files;
    ASSERT_EQ(std::system((findProgram("mosquitto_passwd") + " -b -c " + (files / "passwd").string() + " zul right").c_str()), 0);
    Broker broker("allow_anonymous false\npassword_file " + (files / "passwd").string() + "\n");
    ASSERT_TRUE(broker.start());
    Program program(broker, true, "wrong");
    program.start({});
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));  // start-up, then tries after 1 s and 2 s
    std::vector<std::string> lines;
    for (const auto& line : splitAt(program.errors(), "\n"))
        if (line.find("MQTT") != std::string::npos) lines.push_back(line);
    EXPECT_EQ(lines, std::vector<std::string>{"zulmarin: MQTT: the broker at " + broker.url() +
                                              " refused the connection (Connection Refused: not authorised); trying again"});

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
        waitUntil([&] { return loop.processEvents(), !form.testing(); }, 6000);
    }
    EXPECT_EQ(results, (std::vector<std::string>{
                           "no: The broker at " + broker.url() + " refused the connection: Connection Refused: not authorised.",
                           "ok: Connected to " + broker.url() + ": the broker accepted the login."}));
}

// Run by hand (ZUL_MQTT_BENCH=1 ./build/tests/test_e2e --gtest_filter='*Latency*'):
// from starting mosquitto_pub with ON to the last line change of the frame on
// the pseudo-terminal, 100 times.
TEST(MqttEndToEnd, LatencyFromPublishToTheFramesLastLineChange) {
    if (!std::getenv("ZUL_MQTT_BENCH")) GTEST_SKIP() << "a benchmark: set ZUL_MQTT_BENCH=1 to run it";
    REQUIRE_MOSQUITTO();
    Broker broker;
    ASSERT_TRUE(broker.start());
    Program program(broker, false);
    program.start({"service", "--mqtt", broker.url()});
    ASSERT_TRUE(waitUntil([&] { return broker.retained("zulmarin/status") == "online"; }, 10000));
    std::vector<double> ms;
    for (int i = 0; i < 100; ++i) {
        const auto start = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now().time_since_epoch()).count();
        broker.publish("zulmarin/unit/A3/set", "ON");
        ASSERT_TRUE(waitUntil([&] { return program.count("A3 ON") == std::size_t(i) + 1; }, 5000));
        ms.push_back(double(program.decoded().back().micros - start) / 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the send queue's gap after the frame
    }
    std::sort(ms.begin(), ms.end());
    std::printf("publish to last line change, 100 runs: median %.1f ms, best %.1f ms, worst %.1f ms\n",
                (ms[49] + ms[50]) / 2, ms.front(), ms.back());
}

} // namespace
} // namespace zul::test
