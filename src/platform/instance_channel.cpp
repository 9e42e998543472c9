#include "platform/instance_channel.h"

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zul {

namespace {

using SteadyClock = std::chrono::steady_clock;

std::string modeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

int millisLeft(SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// 0 when connected; else the errno of the last try.
int connectUntil(int fd, const sockaddr_un& address, SteadyClock::time_point deadline) {
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
        const int error = errno;
        // Nobody there yet, or its queue is full: the running copy may still be starting.
        const bool tryAgain = error == ENOENT || error == ECONNREFUSED || error == EAGAIN || error == EINTR;
        if (!tryAgain || SteadyClock::now() >= deadline) return error;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool sendAll(int fd, const std::string& bytes, SteadyClock::time_point deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, millisLeft(deadline)) <= 0) return false;
    }
    return true;
}

// One line up to and including its line feed; "" when the connection ended
// or the deadline passed first. What came after the line stays in pending.
std::string receiveLine(int fd, std::optional<SteadyClock::time_point> deadline, std::size_t maxBytes,
                        std::string& pending) {
    char buffer[512];
    for (;;) {
        if (const auto end = pending.find('\n'); end != std::string::npos) {
            std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            return line.size() <= maxBytes ? line : "";
        }
        if (pending.size() > maxBytes) return "";
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, deadline ? millisLeft(*deadline) : -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return "";
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return "";
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

std::string privateFolderProblem(const std::filesystem::path& folder, bool create) {
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return folder.string() + " cannot be created: " + std::strerror(errno);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return folder.string() + ": " + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return folder.string() + " is a symbolic link, not a folder of its own";
    if (!S_ISDIR(st.st_mode)) return folder.string() + " is not a folder";
    if (st.st_uid != ::geteuid())
        return folder.string() + " belongs to user " + std::to_string(st.st_uid) + ", not to this user";
    if ((st.st_mode & 077) != 0)
        return folder.string() + " can be entered by other users (mode " + modeText(st.st_mode) + ", needs 0700)";
    return "";
}

bool isUserOnlyFolder(const std::filesystem::path& folder) {
    struct stat st {};
    return !folder.empty() && folder.is_absolute() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

std::optional<unsigned> peerUserId(int socketFd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || length != sizeof credentials)
        return std::nullopt;
    return static_cast<unsigned>(credentials.uid);
}

std::size_t maxSocketPathLength() { return sizeof(sockaddr_un::sun_path) - 1; }

InstanceLock::InstanceLock(std::filesystem::path file) : file_(std::move(file)) {}

InstanceLock::~InstanceLock() { unlock(); }

bool InstanceLock::tryLock() {
    if (fd_ >= 0) return true;
    const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::unlock() {
    if (fd_ < 0) return;
    ::close(fd_); // closing the only descriptor lets go of the flock
    fd_ = -1;
}

bool InstanceLock::heldBySomeone(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false; // never made: nobody ever ran here
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

HandOffResult handOffMessage(const std::filesystem::path& socket, const std::string& message, int connectMs,
                             int answerMs, std::size_t maxAnswer,
                             const std::function<bool(const std::string&)>& notice) {
    HandOffResult result;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.native().size() > maxSocketPathLength()) {
        result.detail = "the socket path is too long: " + socket.string();
        return result;
    }
    std::memcpy(address.sun_path, socket.c_str(), socket.native().size());
    const Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) {
        result.detail = std::strerror(errno);
        return result;
    }
    const auto connectBy = SteadyClock::now() + std::chrono::milliseconds(connectMs);
    if (const int error = connectUntil(fd.get(), address, connectBy); error != 0) {
        result.detail = socket.string() + ": " + std::strerror(error);
        return result;
    }
    // Nothing goes to a socket some other user put in our place.
    const auto peer = peerUserId(fd.get());
    if (!peer || *peer != ::geteuid()) {
        result.status = HandOffResult::Status::WrongUser;
        result.detail = socket.string() + " is held by " +
                        (peer ? "user " + std::to_string(*peer) : std::string("an unknown user"));
        return result;
    }
    result.status = HandOffResult::Status::NoAnswer;
    if (!sendAll(fd.get(), message, SteadyClock::now() + std::chrono::seconds(5))) {
        result.detail = "the running copy did not take the message";
        return result;
    }
    std::optional<SteadyClock::time_point> answerBy;
    if (answerMs >= 0) answerBy = SteadyClock::now() + std::chrono::milliseconds(answerMs);
    std::string pending;
    for (;;) {
        result.answer = receiveLine(fd.get(), answerBy, maxAnswer, pending);
        if (result.answer.empty() || !notice || !notice(result.answer)) break;
    }
    if (result.answer.empty()) result.detail = "the running copy ended the connection without an answer";
    else result.status = HandOffResult::Status::Answered;
    return result;
}

} // namespace zul
