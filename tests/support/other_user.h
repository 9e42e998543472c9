#pragma once
// Another local user (65534, "nobody") for tests that run as root.
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace zul::test {

// Runs body in a child process as the other user; its result is the child's exit status.
pid_t asOtherUser(const std::function<int()>& body);
// The child's exit status once it has ended (-1: not normally); nullopt while it runs.
std::optional<int> exitStatus(pid_t child, bool wait = true);
// A listening socket of the other user at path, for up to seconds; returns
// once it listens. Its exit status is 0 when nothing ever arrived.
pid_t plantListener(const std::filesystem::path& path, int seconds);

} // namespace zul::test
