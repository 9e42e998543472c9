#pragma once
// Runs the built zulmarin binary for the end-to-end tests: its program and
// config folders in a temporary folder, with extra environment, optionally as
// another user (through setpriv), and within a time limit.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace zul::test {

struct ProcessResult {
    int rc = -1;
    std::string out, err;
};

struct RunOptions {
    std::vector<std::string> env;            // extra "NAME=value"
    std::optional<unsigned> user;            // run as this user id (and the same group id)
    std::function<void(pid_t)> beforeStart;  // runs once the process exists, before zulmarin starts in it
    std::function<bool()> stopWhen;          // for a program that keeps running: kill -9 it once this holds
    int timeoutSeconds = 30;
};

// The user the tests run others' actions as.
inline constexpr unsigned kNobody = 65534;

inline ProcessResult runZulmarin(const TempDir& dir, const std::vector<std::string>& args,
                                 const RunOptions& options = {}) {
    const std::string outFile = (dir / "stdout").string(), errFile = (dir / "stderr").string();
    int gate[2];
    if (::pipe(gate) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(gate[1]);
        char go = 0;
        if (::read(gate[0], &go, 1) != 1) _exit(126);
        setenv("ZULMARIN_CONFIG_DIR", (dir / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (dir / "home").c_str(), 1);
        for (const auto& e : options.env) putenv(const_cast<char*>(e.c_str()));
        dup2(open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<std::string> words;
        if (options.user) {
            const std::string id = std::to_string(*options.user);
            words = {"/usr/bin/setpriv", "--reuid", id, "--regid", id, "--clear-groups"};
        }
        words.push_back(ZUL_BINARY_DIR "/zulmarin");
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(gate[0]);
    if (options.beforeStart) options.beforeStart(pid);
    const char go = 1;
    if (::write(gate[1], &go, 1) != 1) ADD_FAILURE() << "could not start zulmarin";
    ::close(gate[1]);

    ProcessResult r;
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (options.stopWhen && options.stopWhen()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        if (std::chrono::steady_clock::now() > limit) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "zulmarin did not finish within " << options.timeoutSeconds << " s";
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
}

} // namespace zul::test
