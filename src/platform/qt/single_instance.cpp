#include "platform/qt/single_instance.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace zul::qt {

namespace {
constexpr qint64 MaxMessageBytes = static_cast<qint64>(MaxHandOffBytes) + 64;
constexpr int ClaimWaitMs = 200; // a start that only looks holds the lock for a moment

qint64 nowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

void drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

void answerAndClose(QLocalSocket* socket, const HandOffAnswer& answer) {
    socket->write(QByteArray::fromStdString(encodeAnswer(answer)));
    socket->disconnectFromServer(); // once the answer has been written
}

HandOffAnswer busyAnswer(int limit) {
    return answerError("the running copy of zulmarin is busy with " + std::to_string(limit) +
                       " other hand-overs; try again in a moment");
}

bool isSocketFile(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}
} // namespace

SingleInstance::SingleInstance(InstancePaths paths) : paths_(std::move(paths)), lock_(paths_.lock) {}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::setLimits(int maxConnections, int idleMs, int relistenCheckMs) {
    maxConnections_ = std::max(1, maxConnections);
    idleMs_ = std::max(1, idleMs);
    relistenCheckMs_ = std::max(1, relistenCheckMs);
    if (listenTimer_) listenTimer_->setInterval(relistenCheckMs_);
}

bool SingleInstance::claim() {
    if (server_) return true;
    error_.clear();
    const QDeadlineTimer deadline(ClaimWaitMs);
    while (!lock_.tryLock()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(10);
    }
    if (!listen()) {
        lock_.unlock();
        return false;
    }
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(std::min(idleMs_, 1000));
    QObject::connect(idleTimer_, &QTimer::timeout, this, [this] { closeIdle(); });
    listenTimer_ = new QTimer(this);
    listenTimer_->setInterval(relistenCheckMs_);
    QObject::connect(listenTimer_, &QTimer::timeout, this, [this] { checkListening(); });
    listenTimer_->start();
    return true;
}

bool SingleInstance::listen() {
    // This process holds the lock: a socket file left here is from a copy that has ended.
    const QString name = QString::fromStdString(paths_.socket.string());
    QLocalServer::removeServer(name);
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(server_, &QLocalServer::newConnection, this, [this] { acceptConnections(); });
    }
    if (server_->listen(name)) return true;
    error_ = "cannot listen on " + paths_.socket.string() + ": " + server_->errorString().toStdString();
    delete server_;
    server_ = nullptr;
    return false;
}

void SingleInstance::checkListening() {
    if (!server_ || (server_->isListening() && isSocketFile(paths_.socket))) return;
    // Out of descriptors the server stops listening and its socket goes;
    // the channel would stay dead until a restart.
    server_->close();
    listen();
}

void SingleInstance::release() {
    delete idleTimer_;
    idleTimer_ = nullptr;
    delete listenTimer_;
    listenTimer_ = nullptr;
    connections_.clear();
    waiting_.clear();
    if (server_) {
        server_->close(); // removes the socket file
        delete server_;
        server_ = nullptr;
    }
    lock_.unlock();
}

void SingleInstance::acceptConnections() {
    while (server_ && server_->hasPendingConnections())
        if (QLocalSocket* socket = server_->nextPendingConnection()) admit(socket);
}

void SingleInstance::admit(QLocalSocket* socket) {
    // Nothing is taken from another user's process.
    const auto peer = peerUserId(static_cast<int>(socket->socketDescriptor()));
    if (!peer || *peer != ::geteuid()) return drop(socket);
    socket->setReadBufferSize(MaxMessageBytes + 1); // a waiting connection holds no more than a message
    QObject::connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        forget(socket);
        socket->deleteLater();
    });
    if (idleTimer_ && !idleTimer_->isActive()) idleTimer_->start();
    if (static_cast<int>(connections_.size()) < maxConnections_) serve(socket);
    else wait(socket);
}

void SingleInstance::serve(QLocalSocket* socket) {
    connections_.push_back({socket, nowMs(), false});
    QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
    if (socket->bytesAvailable() > 0) readMessage(socket);
}

void SingleInstance::wait(QLocalSocket* socket) {
    if (static_cast<int>(waiting_.size()) >= MaxWaiting) {
        // The oldest that has not even sent its message makes room; when all
        // have, the newcomer is told to come back.
        const auto idle = std::find_if(waiting_.begin(), waiting_.end(),
                                       [](const Connection& c) { return !c.socket || !c.socket->canReadLine(); });
        if (idle == waiting_.end()) return answerAndClose(socket, busyAnswer(maxConnections_));
        const QPointer<QLocalSocket> old = idle->socket;
        waiting_.erase(idle);
        if (old) drop(old);
    }
    waiting_.push_back({socket, nowMs(), false});
}

void SingleInstance::serveWaiting() {
    if (serving_) return; // called again from inside: the loop below goes on
    serving_ = true;
    while (static_cast<int>(connections_.size()) < maxConnections_ && !waiting_.empty()) {
        // Those that have sent their message go first, so connections that
        // send nothing never hold up a real hand-over.
        auto next = std::find_if(waiting_.begin(), waiting_.end(),
                                 [](const Connection& c) { return c.socket && c.socket->canReadLine(); });
        if (next == waiting_.end()) next = waiting_.begin();
        const QPointer<QLocalSocket> socket = next->socket;
        waiting_.erase(next);
        if (socket) serve(socket);
    }
    serving_ = false;
}

SingleInstance::Connection* SingleInstance::find(QLocalSocket* socket) {
    const auto it = std::find_if(connections_.begin(), connections_.end(),
                                 [socket](const Connection& c) { return c.socket == socket; });
    return it == connections_.end() ? nullptr : &*it;
}

void SingleInstance::forget(QLocalSocket* socket) {
    const auto gone = [socket](const Connection& c) { return !c.socket || c.socket == socket; };
    std::erase_if(connections_, gone);
    std::erase_if(waiting_, gone);
    serveWaiting();
}

void SingleInstance::readMessage(QLocalSocket* socket) {
    Connection* connection = find(socket);
    if (!connection || connection->answered) {
        socket->readAll(); // one message per connection
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxMessageBytes) {
            forget(socket);
            drop(socket); // not one of ours
        }
        return;
    }
    const auto text = decodeHandOff(socket->readLine(MaxMessageBytes + 1).toStdString());
    if (!text) {
        forget(socket);
        return drop(socket);
    }
    connection->answered = true; // from here the connection waits for its answer
    const QPointer<QLocalSocket> guard(socket);
    const auto gone = [guard] { return !guard || guard->state() != QLocalSocket::ConnectedState; };
    Reply reply(
        [guard, gone](const HandOffAnswer& answer) {
            if (gone()) return;
            guard->write(QByteArray::fromStdString(encodeAnswer(answer)));
            if (!answer.waiting) guard->disconnectFromServer(); // after the answer has been written
        },
        gone);
    if (onMessage) onMessage(*text, std::move(reply));
    else reply(HandOffAnswer{});
}

void SingleInstance::closeIdle() {
    const qint64 now = nowMs();
    std::vector<QPointer<QLocalSocket>> idle, late;
    for (const Connection& c : connections_)
        if (!c.answered && now - c.since >= idleMs_) idle.push_back(c.socket);
    // A waiting connection is closed as idle too when it has sent nothing
    // complete; one with its message is told it waited too long.
    const auto idleWaiting = [&](const Connection& c) {
        return !c.socket || (now - c.since >= idleMs_ && !c.socket->canReadLine());
    };
    for (const Connection& c : waiting_) {
        if (idleWaiting(c)) idle.push_back(c.socket);
        else if (now - c.since >= WaitingMs) late.push_back(c.socket);
    }
    std::erase_if(waiting_, [&](const Connection& c) { return idleWaiting(c) || now - c.since >= WaitingMs; });
    for (const auto& socket : late)
        if (socket) answerAndClose(socket, busyAnswer(maxConnections_));
    for (const auto& socket : idle) {
        forget(socket);
        if (socket) drop(socket);
    }
    serveWaiting();
    if (connections_.empty() && waiting_.empty() && idleTimer_) idleTimer_->stop();
}

std::optional<HandOffAnswer> SingleInstance::handOff(const InstancePaths& paths, const std::string& text,
                                                     std::string& failure, int connectMs, int answerMs,
                                                     const std::function<void(const std::string&)>& waiting) {
    const std::string message = encodeHandOff(text);
    if (!decodeHandOff(message)) {
        failure = "the command holds characters that cannot be handed to the running copy";
        return std::nullopt;
    }
    const auto notice = [&waiting](const std::string& line) {
        const auto answer = decodeAnswer(line);
        if (!answer || !answer->waiting) return false;
        if (waiting) waiting(answer->message);
        return true;
    };
    const HandOffResult result = handOffMessage(paths.socket, message, connectMs, answerMs, MaxMessageBytes, notice);
    switch (result.status) {
    case HandOffResult::Status::Answered:
        if (auto answer = decodeAnswer(result.answer)) return answer;
        failure = "the running copy gave an answer that is not one of ours";
        return std::nullopt;
    case HandOffResult::Status::NobodyListens:
        failure = "another copy holds the lock but does not answer (" + result.detail + ")";
        return std::nullopt;
    case HandOffResult::Status::WrongUser:
        failure = "refusing to hand anything over: " + result.detail;
        return std::nullopt;
    case HandOffResult::Status::NoAnswer: failure = result.detail; return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> SingleInstance::handToRunningCopy(const std::optional<InstancePaths>& paths,
                                                             std::string problem, const std::string& text,
                                                             const std::function<void(const std::string&)>& waiting) {
    if (paths && !running(*paths)) return std::nullopt;
    std::optional<HandOffAnswer> answer;
    if (paths) answer = handOff(*paths, text, problem, 3000, -1, waiting);
    if (answer && answer->ok) return "";
    return answer ? answer->message : problem;
}

} // namespace zul::qt
