#pragma once
// A loopback TCP port for a server a test or a benchmark starts.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zul::test {

// A loopback port that was free a moment ago.
inline int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

} // namespace zul::test
