#pragma once
// Every test program makes an exception that a guarded handler catches fail
// the running test. A test that provokes one on purpose holds an
// ExpectCaughtFailures: within its scope they are collected instead.
#include <mutex>
#include <string>
#include <vector>

namespace zul::test {

// Installs the watch; the test environment calls it before any test runs.
void failTestsOnCaughtFailures();

class ExpectCaughtFailures {
public:
    ExpectCaughtFailures();
    ~ExpectCaughtFailures();
    ExpectCaughtFailures(const ExpectCaughtFailures&) = delete;
    ExpectCaughtFailures& operator=(const ExpectCaughtFailures&) = delete;
    // "where: what" of each failure caught so far.
    std::vector<std::string> seen() const;
};

} // namespace zul::test
