#include "app/guarded.h"

#include "app/app.h"
#include "platform/caught_failure.h"

namespace zul::app {

GuardedHandler::~GuardedHandler() {
    if (!failure_.empty()) app_.logError(procedure_, window_, failure_);
}

void GuardedHandler::caught(std::string what) {
    reportCaughtFailure(procedure_ + " on " + window_, what);
    failure_ = std::move(what);
}

} // namespace zul::app
