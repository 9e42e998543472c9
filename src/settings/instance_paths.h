#pragma once
// Where this user's running copy keeps its lock and its socket.
#include <optional>
#include <string>

#include "platform/instance_channel.h"

namespace zul {

// "zulmarin", plus a hash of the settings folder when ZULMARIN_CONFIG_DIR
// names one, so separate settings folders (tests, second profiles) each get
// a running copy of their own.
std::string instanceName();

// The folder is "zulmarin" in $XDG_RUNTIME_DIR when that is a folder only
// this user can write; else in /run/user/<uid> when that is one (a session
// without the variable still finds the copy the login session started);
// else "run" in the settings folder. The folder is made (0700) when
// missing; nullopt with the reason when it is not private to this user or
// the socket's path would be too long.
std::optional<InstancePaths> instancePaths(std::string& error);

} // namespace zul
