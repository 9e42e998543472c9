#include "platform/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <cstdlib>
#include <unistd.h>

#include "app/instance_message.h"
#include "settings/paths.h"

namespace zul::qt {

namespace {
constexpr qint64 MaxMessageBytes = static_cast<qint64>(app::MaxHandOffBytes) + 64;

bool somebodyListens(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool up = probe.waitForConnected(500);
    probe.abort();
    return up;
}
} // namespace

SingleInstance::SingleInstance(QString name, QString lockFile) : name_(std::move(name)), lockPath_(std::move(lockFile)) {}

SingleInstance::~SingleInstance() { release(); }

QString SingleInstance::defaultName() {
    QString name = QStringLiteral("zulmarin-%1").arg(::getuid());
    if (const char* dir = std::getenv("ZULMARIN_CONFIG_DIR"); dir && *dir) {
        const QByteArray hash = QCryptographicHash::hash(QByteArray(dir), QCryptographicHash::Sha1).toHex().left(12);
        name += "-" + QString::fromLatin1(hash);
    }
    return name;
}

QString SingleInstance::defaultLockFile() {
    std::error_code ec;
    std::filesystem::create_directories(configFolder(), ec);
    return QString::fromStdString((configFolder() / "zulmarin.lock").string());
}

bool SingleInstance::claim() {
    if (server_) return true;
    auto lock = std::make_unique<QLockFile>(lockPath_);
    lock->setStaleLockTime(0);  // stale only when its process is gone
    if (!lock->tryLock(200)) return false;
    if (somebodyListens(name_)) return false;  // a copy that lost its lock file
    QLocalServer::removeServer(name_);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name_)) {
        delete server;
        return false;
    }
    QObject::connect(server, &QLocalServer::newConnection, this, [this] { acceptConnection(); });
    server_ = server;
    lock_ = std::move(lock);
    return true;
}

void SingleInstance::release() {
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (socket->bytesAvailable() > MaxMessageBytes) {
                socket->abort();  // not one of ours
                return;
            }
            if (!socket->canReadLine()) return;
            const QByteArray line = socket->readLine(MaxMessageBytes);
            socket->disconnectFromServer();
            if (auto text = app::decodeHandOff(line.toStdString()); text && onMessage) onMessage(*text);
        });
    }
}

bool SingleInstance::sendToRunning(const QString& name, const std::string& text, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const QByteArray bytes = QByteArray::fromStdString(app::encodeHandOff(text));
    // The running copy may still be starting up: try again until the deadline.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(250)) {
            socket.write(bytes);
            const bool written = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
            return written;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace zul::qt
