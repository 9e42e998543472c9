#pragma once
// The per-user channel between copies of the program: a private folder for
// the lock and the socket, the lock that makes one process the owner of the
// transmitter, and the sending side of the socket. Only this user's
// processes take part: the folder is checked before use, and the user id at
// the other end of every connection is checked before anything is sent.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zul {

// Where this user's running copy keeps its lock and its socket.
struct InstancePaths {
    std::filesystem::path folder, lock, socket;
};

// What is wrong with a folder meant for the lock and the socket: "" when it
// is a real directory (not a symlink) of this user that nobody else can
// enter, else the reason. With create, a missing folder is made (mode 0700).
std::string privateFolderProblem(const std::filesystem::path& folder, bool create);

// True when folder is a directory of this user that nobody else can write
// into (the test for $XDG_RUNTIME_DIR).
bool isUserOnlyFolder(const std::filesystem::path& folder);

// The effective user id of the process at the other end of a connected
// local socket; nullopt when the system cannot tell.
std::optional<unsigned> peerUserId(int socketFd);

// The longest socket path the system takes.
std::size_t maxSocketPathLength();

// The lock of the copy that owns the transmitter. It is an flock on a file,
// so the system lets go of it when the process ends in any way: a killed
// copy never leaves a lock behind that blocks the next start.
class InstanceLock {
public:
    explicit InstanceLock(std::filesystem::path file);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock now.
    bool tryLock();
    void unlock();
    bool locked() const { return fd_ >= 0; }

    // True while any process holds the lock on file.
    static bool heldBySomeone(const std::filesystem::path& file);

private:
    std::filesystem::path file_;
    int fd_ = -1;
};

struct HandOffResult {
    enum class Status {
        Answered,      // answer holds the reply line
        NobodyListens, // no copy took the connection in time
        WrongUser,     // the socket belongs to another user: nothing was sent
        NoAnswer,      // sent, but the connection ended without an answer
    };
    Status status = Status::NobodyListens;
    std::string answer;
    std::string detail; // why, for a message
};

// Connects to the running copy's socket (trying again until connectMs have
// passed: it may still be starting), checks that it belongs to this user,
// sends message and waits for one answer line of at most maxAnswer bytes.
// answerMs < 0 waits as long as it takes; the connection closing ends the
// wait. A line for which notice returns true is a notice before the answer:
// the wait goes on.
HandOffResult handOffMessage(const std::filesystem::path& socket, const std::string& message, int connectMs,
                             int answerMs, std::size_t maxAnswer,
                             const std::function<bool(const std::string& line)>& notice = {});

} // namespace zul
