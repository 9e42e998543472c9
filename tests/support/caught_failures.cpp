#include "support/caught_failures.h"

#include <gtest/gtest.h>

#include "platform/caught_failure.h"

namespace zul::test {

namespace {
std::mutex mutex;
int expecting = 0;
std::vector<std::string> collected;

void onCaughtFailure(const std::string& where, const std::string& what) {
    const std::lock_guard lock(mutex);
    if (expecting > 0) collected.push_back(where + ": " + what);
    else ADD_FAILURE() << "a guarded handler caught an exception in " << where << ": " << what;
}
} // namespace

void failTestsOnCaughtFailures() { watchCaughtFailures(&onCaughtFailure); }

ExpectCaughtFailures::ExpectCaughtFailures() {
    const std::lock_guard lock(mutex);
    if (expecting++ == 0) collected.clear();
}

ExpectCaughtFailures::~ExpectCaughtFailures() {
    const std::lock_guard lock(mutex);
    --expecting;
}

std::vector<std::string> ExpectCaughtFailures::seen() const {
    const std::lock_guard lock(mutex);
    return collected;
}

} // namespace zul::test
