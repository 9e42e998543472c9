// Figures of the MQTT bridge against a real broker (a benchmark, run by hand;
// not a test): Debian's mosquitto on a free loopback port, the service on a
// pseudo-terminal whose modem lines the end-to-end tests' shim records, and a
// hub's client in this process that publishes at QoS 1 and takes the state
// the bridge publishes back.
//
// 1. From publish to state: 50 commands one by one (median, best, worst).
// 2. 8 commands for 8 units at once, back to back, until the last state.
// 3. The service's CPU time while it idles, connected, for 60 s.
//
// usage: mqtt_figures ZULMARIN MODEM_SHIM
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "mqtt/mosquitto/mosquitto_client.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/free_port.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

bool waitFor(const std::function<bool()>& done, int ms) {
    const auto limit = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Starts a program with its output to log (and the extra environment); its pid.
pid_t spawn(const std::vector<std::string>& words, const fs::path& log, const std::vector<std::string>& env = {}) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1), dup2(fd, 2);
    std::vector<char*> argv;
    for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 0; i < 13 && fields >> field; ++i) {
        if (i == 11) utime = std::stol(field);
        if (i == 12) stime = std::stol(field);
    }
    return utime + stime;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mqtt_figures ZULMARIN MODEM_SHIM\n");
        return 2;
    }
    char pattern[] = "/tmp/zul-mqtt-figures-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    const int port = zul::test::freePort();
    const std::string url = "mqtt://127.0.0.1:" + std::to_string(port);
    std::ofstream(dir / "mosquitto.conf") << "listener " << port << " 127.0.0.1\nallow_anonymous true\nuser "
                                          << getpwuid(getuid())->pw_name << "\n";
    const pid_t broker = spawn({"/usr/sbin/mosquitto", "-c", (dir / "mosquitto.conf").string()}, dir / "broker.log");

    // The service's files: the pty as its port, the bridge named on its command line.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
    fs::create_directories(dir / "home");
    zul::RecordStore records;
    records.open(dir / "home" / "db.zld");
    records.writeRecord(270, ptsname(master), true);
    zul::IniSettingsStore settings(dir / "config" / "settings.ini");
    settings.write(zul::Setting::UpdateCheck, "0");
    const pid_t service = spawn({argv[1], "service", "--mqtt", url}, dir / "service.log",
                                {"ZULMARIN_CONFIG_DIR=" + (dir / "config").string(),
                                 "ZULMARIN_HOME=" + (dir / "home").string(), "XDG_RUNTIME_DIR=" + dir.string(),
                                 std::string("LD_PRELOAD=") + argv[2], "ZUL_MODEM_LOG=" + (dir / "modem.log").string()});

    std::mutex mutex;
    std::map<std::string, std::pair<std::string, Clock::time_point>> states; // topic -> payload, when
    zul::mqtt::MosquittoClient hub;
    zul::mqtt::ClientOptions options;
    options.broker = {"127.0.0.1", port, false};
    options.clientId = "bench_hub";
    options.cleanSession = true;
    std::atomic<bool> up = false;
    hub.start(options, [&](zul::mqtt::ClientEvent e) {
        if (e.kind == zul::mqtt::ClientEvent::Kind::Connected) up = e.code == 0;
        if (e.kind != zul::mqtt::ClientEvent::Kind::Message) return;
        const std::lock_guard lock(mutex);
        states[e.topic] = {e.payload, Clock::now()};
    });
    const auto stateOf = [&](const std::string& topic) {
        const std::lock_guard lock(mutex);
        return states[topic];
    };
    if (!waitFor([&] { return up.load(); }, 5000)) return std::fprintf(stderr, "no broker\n"), 1;
    hub.subscribe("zulmarin/+/+/state", 1);
    hub.subscribe("zulmarin/status", 1);
    if (!waitFor([&] { return stateOf("zulmarin/status").first == "online"; }, 10000))
        return std::fprintf(stderr, "the service is not online: see %s\n", (dir / "service.log").c_str()), 1;

    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
        const std::string word = i % 2 ? "OFF" : "ON";
        const auto sent = Clock::now();
        hub.publish("zulmarin/unit/A3/set", word, 1, false);
        if (!waitFor([&] { return stateOf("zulmarin/unit/A3/state").first == word; }, 5000)) return 1;
        ms.push_back(std::chrono::duration<double, std::milli>(stateOf("zulmarin/unit/A3/state").second - sent).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(800)); // past the send queue's gap
    }
    std::sort(ms.begin(), ms.end());
    std::printf("publish to state, 50 commands: median %.1f ms, best %.1f ms, worst %.1f ms\n", (ms[24] + ms[25]) / 2,
                ms.front(), ms.back());

    const auto burst = Clock::now();
    for (int unit = 1; unit <= 8; ++unit) hub.publish("zulmarin/unit/B" + std::to_string(unit) + "/set", "ON", 1, false);
    if (!waitFor([&] { return stateOf("zulmarin/unit/B8/state").first == "ON"; }, 15000)) return 1;
    const double seconds = std::chrono::duration<double>(stateOf("zulmarin/unit/B8/state").second - burst).count();
    std::printf("8 commands back to back: last state after %.2f s, %.2f frames per second\n", seconds, 8 / seconds);
    hub.stop();

    const long before = cpuTicks(service);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    const long used = cpuTicks(service) - before;
    std::printf("idle, connected, 60 s: %ld ticks, %.3f%% of one core\n", used, 100.0 * used / sysconf(_SC_CLK_TCK) / 60);

    for (const pid_t pid : {service, broker}) kill(pid, SIGTERM), waitpid(pid, nullptr, 0);
    close(master);
    fs::remove_all(dir);
    return 0;
}
