#pragma once
// Running the built (or an installed) zulmarin binary for end-to-end tests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace zul::test {

struct ProcessResult {
    int rc = -1;
    std::string out, err;
};

// Runs exe with the program and config folders in dir, plus the given extra
// environment: "NAME=value" sets a variable, a bare "NAME" removes it.
inline ProcessResult runProgram(const std::string& exe, const TempDir& dir, const std::vector<std::string>& args,
                                const std::vector<std::string>& env = {}) {
    const std::string outFile = (dir / "stdout").string(), errFile = (dir / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("ZULMARIN_CONFIG_DIR", (dir / "config").c_str(), 1);
        setenv("ZULMARIN_HOME", (dir / "home").c_str(), 1);
        for (const auto& e : env) {
            if (e.find('=') == std::string::npos)
                unsetenv(e.c_str());
            else
                putenv(const_cast<char*>(e.c_str()));
        }
        dup2(open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    ProcessResult r;
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limit) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << exe << " did not finish";
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
}

// The zulmarin of this build.
inline ProcessResult runZulmarin(const TempDir& dir, const std::vector<std::string>& args,
                                 const std::vector<std::string>& env = {}) {
    return runProgram(ZUL_BINARY_DIR "/zulmarin", dir, args, env);
}

} // namespace zul::test
