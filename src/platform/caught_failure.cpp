#include "platform/caught_failure.h"

#include <atomic>

namespace zul {

namespace {
std::atomic<CaughtFailureWatch> currentWatch{nullptr};
} // namespace

CaughtFailureWatch watchCaughtFailures(CaughtFailureWatch watch) { return currentWatch.exchange(watch); }

void reportCaughtFailure(const std::string& where, const std::string& what) {
    if (const CaughtFailureWatch watch = currentWatch.load()) watch(where, what);
}

} // namespace zul
