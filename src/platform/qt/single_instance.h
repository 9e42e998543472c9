#pragma once
// One running copy per user, the desktop program or the service: it holds
// the lock and listens on the socket (both in the user's private folder);
// every other start hands its command to it over the socket and gets an
// answer. The running copy accepts connections from this user only, closes
// those that send no complete message within a few seconds, and listens
// again should its socket ever go. It serves a fixed number of connections
// at a time; those beyond wait their turn for a few seconds (those with a
// complete message first), and are then answered that it is busy.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/instance_message.h"
#include "platform/instance_channel.h"

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace zul::qt {

class SingleInstance : public QObject {
public:
    static constexpr int DefaultMaxConnections = 32;
    static constexpr int DefaultIdleMs = 3000;
    static constexpr int RelistenCheckMs = 5000;
    // Connections beyond the limit wait at most this long, this many at a time.
    static constexpr int WaitingMs = 10000;
    static constexpr int MaxWaiting = 128;

    explicit SingleInstance(InstancePaths paths);
    ~SingleInstance() override;

    // True when this process is now the running copy: it holds the lock and
    // listens. False when another copy holds the lock, or (error() says why)
    // the socket cannot be set up.
    bool claim();
    // Gives up the lock and removes the socket (at exit, before a restart).
    void release();
    bool claimed() const { return server_ != nullptr; }
    const std::string& error() const { return error_; }

    // Every valid message received, with the way to answer it. The answer
    // may come later; it is dropped when the caller has gone meanwhile, and
    // the reply tells whether the caller is still there.
    using Reply = HandOffReply;
    std::function<void(const std::string& text, Reply reply)> onMessage;

    // Limits and the period of the listening check (tests use small ones).
    void setLimits(int maxConnections, int idleMs, int relistenCheckMs = RelistenCheckMs);
    int openConnections() const { return static_cast<int>(connections_.size()); }
    int waitingConnections() const { return static_cast<int>(waiting_.size()); }

    // True while some copy holds the lock.
    static bool running(const InstancePaths& paths) { return InstanceLock::heldBySomeone(paths.lock); }
    // Hands text to the running copy and waits for its answer as long as it
    // takes (answerMs < 0); a notice of what the request waits for goes to
    // waiting. The failure is described when there is no answer.
    static std::optional<HandOffAnswer> handOff(const InstancePaths& paths, const std::string& text,
                                                std::string& failure, int connectMs = 3000, int answerMs = -1,
                                                const std::function<void(const std::string&)>& waiting = {});
    // Hands text to the copy that runs, if one does: nullopt when none runs,
    // "" when it has done what was asked, else why not. paths nullopt: they
    // could not be set up, and problem says why.
    static std::optional<std::string> handToRunningCopy(const std::optional<InstancePaths>& paths, std::string problem,
                                                        const std::string& text,
                                                        const std::function<void(const std::string&)>& waiting);

private:
    struct Connection {
        QPointer<QLocalSocket> socket;
        qint64 since = 0;      // when it was accepted (ms of the monotonic clock)
        bool answered = false; // a complete message came; only the answer is left
    };
    bool listen();
    void acceptConnections();
    void admit(QLocalSocket* socket);
    void serve(QLocalSocket* socket);
    void wait(QLocalSocket* socket);
    void serveWaiting();
    void readMessage(QLocalSocket* socket);
    void closeIdle();
    void checkListening();
    Connection* find(QLocalSocket* socket);
    void forget(QLocalSocket* socket);

    InstancePaths paths_;
    InstanceLock lock_;
    QLocalServer* server_ = nullptr;
    QTimer* idleTimer_ = nullptr;
    QTimer* listenTimer_ = nullptr;
    std::vector<Connection> connections_;
    std::vector<Connection> waiting_; // beyond the limit, in the order they came
    bool serving_ = false;
    int maxConnections_ = DefaultMaxConnections;
    int idleMs_ = DefaultIdleMs;
    int relistenCheckMs_ = RelistenCheckMs;
    std::string error_;
};

} // namespace zul::qt
