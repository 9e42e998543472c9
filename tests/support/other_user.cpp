#include "support/other_user.h"

#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zul::test {

pid_t asOtherUser(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) _exit(::setgid(65534) == 0 && ::setuid(65534) == 0 ? body() : 90);
    return child;
}

std::optional<int> exitStatus(pid_t child, bool wait) {
    int status = 0;
    const pid_t ended = ::waitpid(child, &status, wait ? 0 : WNOHANG);
    if (ended == 0) return std::nullopt;
    return ended == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t plantListener(const std::filesystem::path& path, int seconds) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = asOtherUser([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) return 3;
        [[maybe_unused]] const auto n = ::write(ready[1], "x", 1);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, seconds * 1000) <= 0) return 0;
        pollfd c{::accept(fd, nullptr, nullptr), POLLIN, 0};
        char byte;
        return ::poll(&c, 1, 1000) > 0 && ::recv(c.fd, &byte, 1, 0) > 0 ? 1 : 0;
    });
    char c;
    ::close(ready[1]);
    const bool listening = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    return listening ? child : -1;
}

} // namespace zul::test
