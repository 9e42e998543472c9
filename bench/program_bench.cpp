// Figures of the real program (a benchmark, run by hand; not a test):
//
// 1. Start-up of `zulmarin frame A 1 ON`, `zulmarin --help` and `zulmarin
//    send A 1 ON --port sim` (the simulated transmitter): the shared
//    objects loaded (ld.so's own count), the peak resident memory and the CPU
//    and wall time, medians of RUNS runs.
// 2. Frames: `zulmarin run` of a macro of FRAMES rows on a pseudo-terminal
//    whose modem lines the LD_PRELOAD shim of the end-to-end tests records,
//    once on the machine as it is ("quiet") and once under a CPU load the
//    benchmark starts itself (two busy processes per core). Per frame its
//    time against 80 line states (p50, p99, max), the states of 10 ms or
//    more, the shortest state, changes to both lines low, and the program's
//    CPU time per frame.
// 3. The service on a pseudo-terminal: resident and locked memory after
//    start (and the shared objects it maps), and again after it sent one
//    frame handed to it.
//
// With --user UID everything runs as that user with RLIMIT_RTPRIO 0 (no
// real-time scheduling) and this process's memory-lock limit; the error log
// entries the runs left are listed.
//
// usage: program_bench ZULMARIN MODEM_SHIM [--frames N] [--runs N] [--user UID]
//                      [--only startup|frames|quiet|load|service]
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frame_stats.h"
#include "settings/error_log.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string exe, shim, only;
    int frames = 1000;
    int runs = 20;
    int uid = -1;
};

// Where every run keeps its files, and how a child process starts.
struct Rig {
    Options options;
    fs::path work;
    std::string tty;

    // Starts zulmarin with args; its output goes to work/name.out and .err.
    pid_t start(const std::vector<std::string>& args, const std::string& name,
                const std::vector<std::string>& env = {}) const {
        const pid_t pid = fork();
        if (pid != 0) return pid;
        if (options.uid >= 0) {
            const rlimit none{0, 0};
            if (setrlimit(RLIMIT_RTPRIO, &none) != 0 || setgroups(0, nullptr) != 0 ||
                setresgid(options.uid, options.uid, options.uid) != 0 ||
                setresuid(options.uid, options.uid, options.uid) != 0)
                _exit(120);
        }
        setenv("ZULMARIN_CONFIG_DIR", (work / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (work / "home").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (work / "runtime").c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
        dup2(open((work / (name + ".out")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open((work / (name + ".err")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<std::string> words{"zulmarin"};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        execv(options.exe.c_str(), argv.data());
        _exit(127);
    }

    std::vector<std::string> shimEnv(const std::string& log) const {
        return {"LD_PRELOAD=" + options.shim, "ZUL_MODEM_LOG=" + (work / log).string()};
    }
};

struct Usage {
    int status = -1;
    double cpuMs = 0, wallMs = 0, maxRssMiB = 0;
};

double ms(const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; }

// Waits for a child; its exit status, CPU time and peak memory.
Usage finish(pid_t pid, std::chrono::steady_clock::time_point began) {
    Usage u;
    int status = 0;
    rusage r{};
    if (wait4(pid, &status, 0, &r) != pid) return u;
    u.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    u.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    u.cpuMs = ms(r.ru_utime) + ms(r.ru_stime);
    u.maxRssMiB = double(r.ru_maxrss) / 1024;
    return u;
}

Usage runToEnd(const Rig& rig, const std::vector<std::string>& args, const std::string& name,
               const std::vector<std::string>& env = {}) {
    const auto began = std::chrono::steady_clock::now();
    return finish(rig.start(args, name, env), began);
}

double median(std::vector<double> v) { return zul::bench::percentile(std::move(v), 0.5); }

// ld.so's debug output names every object it maps ("generating link map").
int sharedObjects(const Rig& rig, const std::vector<std::string>& args) {
    const fs::path prefix = rig.work / "ld";
    runToEnd(rig, args, "ld", {"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + prefix.string()});
    int count = 0;
    for (const auto& entry : fs::directory_iterator(rig.work)) {
        if (entry.path().filename().string().rfind("ld.", 0) != 0 || entry.path().extension() == ".out" ||
            entry.path().extension() == ".err")
            continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);)
            if (line.find("generating link map") != std::string::npos) ++count;
        fs::remove(entry.path());
    }
    return count;
}

void startupFigures(const Rig& rig) {
    std::printf("start-up, medians of %d runs:\n", rig.options.runs);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"frame", "A", "1", "ON"}, std::vector<std::string>{"--help"},
          std::vector<std::string>{"send", "A", "1", "ON", "--port", "sim"}}) {
        std::vector<double> cpu, wall, rss;
        int failed = 0;
        for (int i = 0; i < rig.options.runs; ++i) {
            const Usage u = runToEnd(rig, args, "startup");
            if (u.status != 0) ++failed;
            cpu.push_back(u.cpuMs);
            wall.push_back(u.wallMs);
            rss.push_back(u.maxRssMiB);
        }
        std::string words;
        for (const auto& a : args) words += (words.empty() ? "" : " ") + a;
        std::printf("  %-24s %3d shared objects, peak RSS %5.1f MiB, CPU %5.1f ms, wall %5.1f ms%s\n", words.c_str(),
                    sharedObjects(rig, args), median(rss), median(cpu), median(wall), failed ? " (runs failed)" : "");
    }
}

// Busy processes, two per core, until the returned pids are stopped.
std::vector<pid_t> startLoad() {
    std::vector<pid_t> pids;
    const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    for (long i = 0; i < 2 * cores; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            volatile unsigned long spin = 0;
            for (;;) spin = spin + 1;
        }
        pids.push_back(pid);
    }
    return pids;
}

void stopAll(const std::vector<pid_t>& pids) {
    for (const pid_t p : pids) kill(p, SIGKILL);
    for (const pid_t p : pids) waitpid(p, nullptr, 0);
}

std::vector<zul::bench::LineChange> readModemLog(const fs::path& file) {
    std::vector<zul::bench::LineChange> changes;
    std::ifstream in(file);
    long long micros = 0;
    int rts = 0, dtr = 0;
    while (in >> micros >> rts >> dtr) changes.push_back({micros, rts != 0, dtr != 0});
    return changes;
}

// A macro of n rows with the shortest pause, A 1 ON and A 1 OFF in turn.
void writeMacro(const fs::path& file, int rows) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < rows; ++i) out << (i % 2 ? "\"01100000001000000000\"\r\n" : "\"01100000000000000000\"\r\n");
}

void frameFigures(const Rig& rig, const std::string& condition, const std::string& tag) {
    writeMacro(rig.work / "home" / "bench.cro", rig.options.frames);
    const std::string log = "modem-" + tag + ".log";
    const std::vector<pid_t> load = tag == "load" ? startLoad() : std::vector<pid_t>{};
    const Usage u =
        runToEnd(rig, {"run", (rig.work / "home" / "bench.cro").string(), "--port", rig.tty}, tag, rig.shimEnv(log));
    stopAll(load);
    const zul::bench::LineFigures lines = zul::bench::measureLines(readModemLog(rig.work / log));
    std::printf("  %s (exit %d, %.0f s):\n", condition.c_str(), u.status, u.wallMs / 1000);
    zul::bench::printReport(lines, 500, lines.frames.empty() ? -1 : u.cpuMs / double(lines.frames.size()));
}

// "VmRSS" and "VmLck" of a process, in MiB.
std::map<std::string, double> memoryOf(pid_t pid) {
    std::map<std::string, double> mib;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        double kib = 0;
        if (words >> key >> kib && (key == "VmRSS:" || key == "VmLck:")) mib[key.substr(0, 5)] = kib / 1024;
    }
    return mib;
}

bool waitFor(const std::function<bool()>& done, int ms) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The shared objects a process maps, and those of them that belong to
// windows or sound.
void sayLibraries(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> objects;
    for (std::string line; std::getline(in, line);)
        if (const auto at = line.find('/'); at != std::string::npos && line.find(".so", at) != std::string::npos)
            objects.insert(line.substr(at));
    std::string desktop;
    for (const auto& o : objects)
        for (const char* kind : {"Qt6Gui", "Qt6Widgets", "Qt6Multimedia", "pulse", "asound", "X11", "xcb"})
            if (o.find(kind) != std::string::npos) {
                desktop += ' ';
                desktop += fs::path(o).filename().string();
                break;
            }
    std::printf("  maps %zu shared objects; of windows or sound:%s\n", objects.size(),
                desktop.empty() ? " none" : desktop.c_str());
}

void serviceFigures(const Rig& rig) {
    const pid_t pid = rig.start({"service", "--port", rig.tty}, "service", rig.shimEnv("modem-service.log"));
    const bool started =
        waitFor([&] { return readText(rig.work / "service.out").find("timers on") != std::string::npos; }, 20000);
    auto say = [pid](const char* when) {
        auto m = memoryOf(pid);
        std::printf("  %s: RSS %.1f MiB, locked %.1f MiB\n", when, m["VmRSS"], m["VmLck"]);
    };
    std::printf("service%s:\n", started ? "" : " (did not say it started)");
    // What start-up left to settle (the first ticks, the port opened) has settled.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    say("after start");
    sayLibraries(pid);
    const Usage sent = runToEnd(rig, {"send", "A", "1", "ON"}, "send");
    say(sent.status == 0 ? "after one frame" : "after a send that failed");
    kill(pid, SIGTERM);
    if (!waitFor([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 30000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

Options parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--frames" && hasValue) o.frames = std::max(1, std::atoi(argv[++i]));
        else if (a == "--runs" && hasValue) o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--user" && hasValue) o.uid = std::atoi(argv[++i]);
        else if (a == "--only" && hasValue) o.only = argv[++i];
        else positional.push_back(a);
    }
    if (positional.size() == 2) {
        o.exe = fs::absolute(positional[0]).string();
        o.shim = fs::absolute(positional[1]).string();
    }
    return o;
}

// The folders of one benchmark, open to the other user with --user; the pty too.
void prepare(Rig& rig, int master) {
    rig.tty = ptsname(master);
    // In memory where there is a memory file system: the shim writes every
    // line change to its log, and a write that waits for a busy disk would
    // show as a long line state.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    rig.work = base / ("program_bench." + std::to_string(getpid()));
    for (const char* sub : {"config", "home", "runtime"}) fs::create_directories(rig.work / sub);
    fs::permissions(rig.work / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    if (rig.options.uid < 0) return;
    chmod(rig.tty.c_str(), 0666);
    for (const char* sub : {"", "config", "home", "runtime"})
        if (chown((rig.work / sub).c_str(), rig.options.uid, rig.options.uid) != 0) std::perror("chown");
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    Rig rig;
    rig.options = parse(argc, argv);
    if (rig.options.exe.empty()) {
        std::fprintf(stderr, "usage: program_bench ZULMARIN MODEM_SHIM [--frames N] [--runs N] [--user UID] "
                             "[--only startup|frames|quiet|load|service]\n");
        return 2;
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
    prepare(rig, master);
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("%s as %s, %ld cores, load average %.2f %.2f %.2f\n", rig.options.exe.c_str(),
                rig.options.uid >= 0 ? ("user " + std::to_string(rig.options.uid) + " without RLIMIT_RTPRIO").c_str()
                                     : (getuid() == 0 ? "root" : "this user"),
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2]);
    const std::string& only = rig.options.only;
    if (only.empty() || only == "startup") startupFigures(rig);
    const bool quiet = only.empty() || only == "frames" || only == "quiet";
    const bool loaded = only.empty() || only == "frames" || only == "load";
    if (quiet || loaded) std::printf("frames of 'zulmarin run' with %d rows:\n", rig.options.frames);
    if (quiet) frameFigures(rig, "quiet", "quiet");
    if (loaded) frameFigures(rig, "under load (two busy processes per core)", "load");
    if (only.empty() || only == "service") serviceFigures(rig);
    for (const auto& e : zul::readErrorLog(rig.work / "home" / "error.log").entries)
        std::printf("error log: %s  %s\n", e.logged.c_str(), e.message.c_str());
    std::error_code ec;
    fs::remove_all(rig.work, ec);
    close(master);
    return 0;
}
