#pragma once
// Handlers that must not stop the program (a button's click, the start-up
// steps) catch an exception and write it to the error log. A process may also
// watch for such exceptions: the test programs make each one fail the test, so
// a fault is never only a line in a log.
#include <string>

namespace zul {

// Called with the handler's name and the exception's text.
using CaughtFailureWatch = void (*)(const std::string& where, const std::string& what);

// Sets the process-wide watch (nullptr: none) and returns the previous one.
CaughtFailureWatch watchCaughtFailures(CaughtFailureWatch watch);
// Tells the watch, if one is set, of an exception a handler caught.
void reportCaughtFailure(const std::string& where, const std::string& what);

} // namespace zul
