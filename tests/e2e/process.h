#pragma once
// The zulmarin binary as a separate process: run to its end, or started and
// left running (a service), with its program and settings folders in a temp
// folder; and a pseudo-terminal whose slave stands in for a serial device.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/cm17a_decoder.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/free_port.h"
#include "support/temp_dir.h"

namespace zul::test {

struct ProcessResult {
    int rc = -1;
    std::string out, err;
};

// Waits until done() holds; false when it did not within ms.
template <class F>
bool waitUntil(F done, int ms = 10000) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// How a zulmarin process runs: extra environment, optionally as another user
// (through setpriv), and for one run to its end a time limit or a condition
// on which it is killed.
struct RunOptions {
    RunOptions() = default;
    RunOptions(std::vector<std::string> extraEnv) : env(std::move(extraEnv)) {} // NOLINT: env alone reads well
    std::vector<std::string> env;           // extra "NAME=value"; a bare "NAME" removes the variable
    std::string executable;                 // another zulmarin (an installed one); "" for this build's
    std::optional<unsigned> user;           // run as this user id (and the same group id)
    std::function<void(pid_t)> beforeStart; // runs once the process exists, before zulmarin starts in it
    std::function<bool()> stopWhen;         // for a program that keeps running: kill -9 it once this holds
    int timeoutSeconds = 30;
    // SIGTERM and SIGINT blocked as it starts: one sent before it starts
    // waits, as if it came before the program could catch it.
    bool stopSignalsHeld = false;
};

// The user the tests run others' actions as.
inline constexpr unsigned kNobody = 65534;

// Runs a shell command as that user; its exit status.
inline int runAsNobody(const std::string& command) {
    const std::string id = std::to_string(kNobody);
    return std::system(("/usr/bin/setpriv --reuid " + id + " --regid " + id + " --clear-groups " + command).c_str());
}

// A started zulmarin: its output goes to files in dir (name.out, name.err).
class Spawned {
public:
    Spawned(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options = {},
            const std::string& name = "zulmarin")
        : out_(dir / (name + ".out")), err_(dir / (name + ".err")) {
        int gate[2];
        if (::pipe(gate) != 0) return;
        sigset_t held, previous;
        sigemptyset(&held);
        if (options.stopSignalsHeld) {
            sigaddset(&held, SIGTERM);
            sigaddset(&held, SIGINT);
        }
        pthread_sigmask(SIG_BLOCK, &held, &previous);
        pid_ = fork();
        if (pid_ == 0) startChild(dir, args, options, gate); // the mask goes with it through exec
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        ::close(gate[0]);
        if (options.beforeStart) options.beforeStart(pid_);
        const char go = 1;
        if (::write(gate[1], &go, 1) != 1) ADD_FAILURE() << "could not start zulmarin";
        ::close(gate[1]);
    }
    ~Spawned() {
        if (rc_ != Running || pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    void signal(int s) const { kill(pid_, s); }
    pid_t pid() const { return pid_; }
    // The exit code once it has ended (-2 killed by a signal); -1 when it
    // did not end within ms (it is killed when this goes).
    int wait(int ms = 30000) {
        int status = 0;
        if (rc_ == Running && waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms))
            rc_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return rc_ == Running ? -1 : rc_;
    }
    std::string out() const { return readFile(out_); }
    std::string err() const { return readFile(err_); }
    // Waits until its standard output holds text; false when it did not in time.
    bool waitForOutput(const std::string& text, int ms = 10000) const {
        return waitUntil([&] { return out().find(text) != std::string::npos; }, ms);
    }

private:
    [[noreturn]] void startChild(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options,
                                 const int gate[2]) {
        ::close(gate[1]);
        char go = 0;
        if (::read(gate[0], &go, 1) != 1) _exit(126);
        setenv("ZULMARIN_CONFIG_DIR", (dir / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (dir / "home").c_str(), 1);
        for (const auto& e : options.env) {
            if (e.find('=') == std::string::npos) unsetenv(e.c_str());
            else putenv(const_cast<char*>(e.c_str()));
        }
        dup2(open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<std::string> words;
        if (options.user) {
            const std::string id = std::to_string(*options.user);
            words = {"/usr/bin/setpriv", "--reuid", id, "--regid", id, "--clear-groups"};
        }
        words.push_back(options.executable.empty() ? std::string(ZUL_BINARY_DIR "/zulmarin") : options.executable);
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

    static constexpr int Running = -100;
    std::filesystem::path out_, err_;
    pid_t pid_ = -1;
    int rc_ = Running;
};

// Runs the built binary to its end (or until options.stopWhen holds, when it
// is killed; a run past the time limit is killed and fails the test).
inline ProcessResult runZulmarin(const TempDir& dir, const std::vector<std::string>& args,
                                 const RunOptions& options = {}) {
    Spawned p(dir, args, options);
    ProcessResult r;
    const int limitMs = options.timeoutSeconds * 1000;
    if (options.stopWhen && waitUntil([&] { return p.wait(0) != -1 || options.stopWhen(); }, limitMs))
        p.signal(SIGKILL);
    r.rc = p.wait(limitMs);
    if (r.rc == -1) ADD_FAILURE() << "zulmarin did not finish within " << options.timeoutSeconds << " s";
    r.out = p.out();
    r.err = p.err();
    return r;
}

// Runs another program (cmake, an installed zulmarin) the same way.
inline ProcessResult runProgram(const std::string& executable, const TempDir& dir, const std::vector<std::string>& args,
                                const std::vector<std::string>& env = {}) {
    RunOptions options(env);
    options.executable = executable;
    options.timeoutSeconds = 60;
    return runZulmarin(dir, args, options);
}

// A pseudo-terminal pair; the slave's path stands in for a serial device.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

// The environment that records the modem lines of a pty into log.
inline std::vector<std::string> modemShim(const std::filesystem::path& log) {
    return {"LD_PRELOAD=" ZUL_MODEM_SHIM, "ZUL_MODEM_LOG=" + log.string(),
            "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
}

// What a CM17A made of the recorded line changes; every state must have
// lasted the default 500 us. ended false: the program still writes the log,
// so its last line may be half written and a burst may still be going on.
inline std::vector<sim::DecodedSignal> decodeModemLog(const std::filesystem::path& log, int* changes = nullptr,
                                                      bool ended = true) {
    sim::Cm17aDecoder decoder(50000, 500);
    std::string text = readFile(log);
    text.erase(text.find_last_of('\n') + 1);
    std::istringstream lines(text);
    long long micros = 0;
    int rts = 0, dtr = 0, count = 0;
    while (lines >> micros >> rts >> dtr) {
        decoder.feed(micros, rts != 0, dtr != 0);
        ++count;
    }
    if (ended) decoder.flush();
    if (changes) *changes = count;
    return decoder.decoded();
}

// What a shell command prints on standard output.
inline std::string shellOutput(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// zulmarin's files in a temp folder (A3 "Porch light"; group 1 "Outside",
// which is A1, the panic group, off again after 1 s) and the program on a pty
// whose modem lines the shim records.
class PtyProgram {
public:
    PtyProgram() {
        std::filesystem::create_directories(dir_ / "home");
        RecordStore records;
        records.open(dir_ / "home" / "db.zld");
        records.writeRecord(270, pty_.slave, true);
        records.writeRecord(3, "A3## Porch light", true);
        records.writeRecord(281, "1", true);
        records.writeRecord(280, "0,1", true);
        writeFile(dir_ / "home" / "file0.grp", "\"Group 1, Outside\"\r\n\"0110000000000000\"\r\n");
        IniSettingsStore(dir_ / "config" / "settings.ini").write(Setting::UpdateCheck, "0");
    }
    // args: {} for the desktop program, {"service", ...} for the service.
    void start(const std::vector<std::string>& args) {
        RunOptions options(modemShim(dir_ / "modem.log"));
        // Its own channel folder: a program killed here leaves its socket behind.
        options.env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        process_ = std::make_unique<Spawned>(dir_, args, options, "program");
    }
    int end(int signal = SIGTERM) {
        process_->signal(signal);
        return process_->wait(5000);
    }
    std::vector<sim::DecodedSignal> decoded() const { return decodeModemLog(dir_ / "modem.log", nullptr, false); }
    std::size_t count(const std::string& frame) const {
        const auto all = decoded();
        return std::count_if(all.begin(), all.end(), [&](const sim::DecodedSignal& s) { return s.text == frame; });
    }
    std::string errors() const { return process_ ? process_->err() : ""; }
    bool said(const std::string& text) const { return errors().find(text) != std::string::npos; }
    pid_t pid() const { return process_->pid(); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    Pty pty_;
    std::unique_ptr<Spawned> process_;
};

} // namespace zul::test
