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
constexpr qint64 MaxMessageBytes = static_cast<qint64>(app::MaxHandOffBytes) + 64;
constexpr int ClaimWaitMs = 200;  // a start that only looks holds the lock for a moment

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

bool isSocketFile(const std::filesystem::path& path) {
    struct stat st{};
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
    if (server_) {
        server_->close();  // removes the socket file
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
    if (static_cast<int>(connections_.size()) >= maxConnections_) {
        // Room is made by closing the oldest connection that has sent nothing
        // complete; one that waits for its answer is never closed.
        const auto idle = std::find_if(connections_.begin(), connections_.end(),
                                       [](const Connection& c) { return !c.answered; });
        if (idle == connections_.end()) return drop(socket);
        const QPointer<QLocalSocket> old = idle->socket;
        connections_.erase(idle);
        if (old) drop(old);
    }
    connections_.push_back({socket, nowMs(), false});
    QObject::connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        forget(socket);
        socket->deleteLater();
    });
    QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
    if (idleTimer_ && !idleTimer_->isActive()) idleTimer_->start();
    if (socket->bytesAvailable() > 0) readMessage(socket);
}

SingleInstance::Connection* SingleInstance::find(QLocalSocket* socket) {
    const auto it = std::find_if(connections_.begin(), connections_.end(),
                                 [socket](const Connection& c) { return c.socket == socket; });
    return it == connections_.end() ? nullptr : &*it;
}

void SingleInstance::forget(QLocalSocket* socket) {
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [socket](const Connection& c) { return !c.socket || c.socket == socket; }),
                       connections_.end());
}

void SingleInstance::readMessage(QLocalSocket* socket) {
    Connection* connection = find(socket);
    if (!connection || connection->answered) {
        socket->readAll();  // one message per connection
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxMessageBytes) {
            forget(socket);
            drop(socket);  // not one of ours
        }
        return;
    }
    const auto text = app::decodeHandOff(socket->readLine(MaxMessageBytes + 1).toStdString());
    if (!text) {
        forget(socket);
        return drop(socket);
    }
    connection->answered = true;  // from here the connection waits for its answer
    const QPointer<QLocalSocket> guard(socket);
    Reply reply = [guard](const app::HandOffAnswer& answer) {
        if (!guard || guard->state() != QLocalSocket::ConnectedState) return;  // the caller has gone
        guard->write(QByteArray::fromStdString(app::encodeAnswer(answer)));
        guard->disconnectFromServer();  // after the answer has been written
    };
    if (onMessage) onMessage(*text, std::move(reply));
    else reply(app::HandOffAnswer{});
}

void SingleInstance::closeIdle() {
    const qint64 now = nowMs();
    std::vector<QPointer<QLocalSocket>> idle;
    for (const Connection& c : connections_)
        if (!c.answered && now - c.since >= idleMs_) idle.push_back(c.socket);
    for (const auto& socket : idle) {
        forget(socket);
        if (socket) drop(socket);
    }
    if (connections_.empty() && idleTimer_) idleTimer_->stop();
}

std::optional<app::HandOffAnswer> SingleInstance::handOff(const InstancePaths& paths, const std::string& text,
                                                          std::string& failure, int connectMs, int answerMs) {
    const std::string message = app::encodeHandOff(text);
    if (!app::decodeHandOff(message)) {
        failure = "the command holds characters that cannot be handed to the running copy";
        return std::nullopt;
    }
    const HandOffResult result = handOffMessage(paths.socket, message, connectMs, answerMs, MaxMessageBytes);
    switch (result.status) {
    case HandOffResult::Status::Answered:
        if (auto answer = app::decodeAnswer(result.answer)) return answer;
        failure = "the running copy gave an answer that is not one of ours";
        return std::nullopt;
    case HandOffResult::Status::NobodyListens:
        failure = "another copy holds the lock but does not answer (" + result.detail + ")";
        return std::nullopt;
    case HandOffResult::Status::WrongUser:
        failure = "refusing to hand anything over: " + result.detail;
        return std::nullopt;
    case HandOffResult::Status::NoAnswer:
        failure = result.detail;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace zul::qt
