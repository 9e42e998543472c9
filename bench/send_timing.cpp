// Frames as the real program sends them: runs `zulmarin send` RUNS times on a
// pseudo-terminal whose modem lines the LD_PRELOAD shim of the end-to-end
// tests records, then measures every frame from the recorded line changes
// (see frame_stats.h). With --user UID the runs are made as that user with
// RLIMIT_RTPRIO 0, where real-time scheduling is refused and the program
// falls back; the error log entries the runs left are counted.
//
// usage: send_timing ZULMARIN MODEM_SHIM [RUNS] [--user UID]
// Under load, e.g. two compiles in a loop meanwhile:
//   for i in 1 2; do (while :; do c++ -O2 -std=c++20 -c big.cpp -o /dev/null; done) & done
#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frame_stats.h"
#include "settings/error_log.h"

namespace fs = std::filesystem;

namespace {

// One `zulmarin send` with its folders in work; false when it failed.
bool sendOnce(const std::string& exe, const std::string& shim, const std::string& tty, const fs::path& work, int run,
              int uid) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (uid >= 0) {
            const rlimit none{0, 0};
            if (setrlimit(RLIMIT_RTPRIO, &none) != 0 || setgroups(0, nullptr) != 0 || setresgid(uid, uid, uid) != 0 ||
                setresuid(uid, uid, uid) != 0)
                _exit(120);
        }
        setenv("ZULMARIN_CONFIG_DIR", (work / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (work / "home").c_str(), 1);
        setenv("LD_PRELOAD", shim.c_str(), 1);
        setenv("ZUL_MODEM_LOG", (work / "modem.log").c_str(), 1);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        const std::string house(1, char('A' + run % 16));
        const std::string unit = std::to_string(run % 16 + 1);
        execl(exe.c_str(), "zulmarin", "send", house.c_str(), unit.c_str(), run % 2 ? "OFF" : "ON", "--port",
              tty.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<zul::bench::LineChange> readModemLog(const fs::path& file) {
    std::vector<zul::bench::LineChange> changes;
    std::ifstream in(file);
    long long micros = 0;
    int rts = 0, dtr = 0;
    while (in >> micros >> rts >> dtr) changes.push_back({micros, rts != 0, dtr != 0});
    return changes;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int uid = -1;
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--user") {
            uid = std::atoi(args[i + 1].c_str());
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            break;
        }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: send_timing ZULMARIN MODEM_SHIM [RUNS] [--user UID]\n");
        return 2;
    }
    const int runs = args.size() > 2 ? std::max(1, std::atoi(args[2].c_str())) : 200;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
    const std::string tty = ptsname(master);
    const fs::path work = fs::temp_directory_path() / ("send_timing." + std::to_string(getpid()));
    fs::create_directories(work / "config");
    fs::create_directories(work / "home");
    if (uid >= 0) {
        // The other user needs the terminal and the folders.
        chmod(tty.c_str(), 0666);
        for (const fs::path& p : {work, work / "config", work / "home"})
            if (chown(p.c_str(), uid, uid) != 0) std::perror("chown");
    }
    int failed = 0;
    for (int run = 0; run < runs; ++run)
        if (!sendOnce(args[0], args[1], tty, work, run, uid)) ++failed;
    std::printf("runs: %d (%d failed), as %s\n", runs, failed,
                uid >= 0 ? "an ordinary user without RLIMIT_RTPRIO" : "this user");
    zul::bench::printReport(zul::bench::measureFrames(readModemLog(work / "modem.log")), 500);
    const auto entries = zul::readErrorLog(work / "home" / "error.log").entries;
    std::printf("error log entries: %zu\n", entries.size());
    for (const auto& e : entries) std::printf("  %s  %s\n", e.logged.c_str(), e.message.c_str());
    std::error_code ec;
    fs::remove_all(work, ec);
    close(master);
    return 0;
}
