#pragma once
// Dates as the system's locale writes them, on Qt Core alone (printouts
// carry one).
#include <string>

#include "platform/datetime.h"

namespace zul::qt {

// A date in the system's short form.
std::string shortDateText(const DateTime& t);

} // namespace zul::qt
