#include "web/qt/qt_http_server.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTimer>
#include <algorithm>
#include <map>

namespace zul::web::qt {

namespace {

// What the guard keeps for one connection: its deadline and the bytes of the
// request under way.
class ConnectionLimits : public QObject {
public:
    static constexpr const char* Name = "webRemoteLimits";
    explicit ConnectionLimits(QTcpSocket* socket) : QObject(socket), socket_(socket) {
        setObjectName(Name);
        deadline_.setSingleShot(true);
        deadline_.setInterval(QtHttpServer::RequestTimeoutMs);
        QObject::connect(&deadline_, &QTimer::timeout, socket, [socket] { socket->abort(); });
        deadline_.start();
        // Connected before the HTTP server connects its own reader, so it sees the bytes first.
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this] { received(); });
    }
    // An answer went out: the next request starts afresh.
    void answered() {
        bytes_ = 0;
        if (!stream_) deadline_.start();
    }
    void becomeStream() {
        stream_ = true;
        deadline_.stop();
    }
    bool stream() const { return stream_; }

private:
    void received() {
        bytes_ += socket_->bytesAvailable();
        if (bytes_ <= QtHttpServer::MaxRequestBytes || tooLarge_) return;
        tooLarge_ = true;
        socket_->write("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\nContent-Length: 36\r\n"
                       "Connection: close\r\n\r\n{\"error\":\"the request is too large\"}");
        socket_->disconnectFromHost();
        socket_->readAll(); // nothing more of it is read
    }

    QTcpSocket* socket_;
    QTimer deadline_;
    qint64 bytes_ = 0;
    bool stream_ = false, tooLarge_ = false;
};

ConnectionLimits* limitsOf(QTcpSocket* socket) {
    // By name: without a meta-object of its own, a cast by type would take any child.
    return static_cast<ConnectionLimits*>(socket->findChild<QObject*>(ConnectionLimits::Name, Qt::FindDirectChildrenOnly));
}

std::string methodName(QHttpServerRequest::Method m) {
    switch (m) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    default: return "OTHER";
    }
}

HttpRequest requestFrom(const QHttpServerRequest& q) {
    HttpRequest r;
    r.method = methodName(q.method());
    r.path = q.url().path(QUrl::FullyEncoded).toStdString();
    for (const auto& [name, value] : q.headers()) {
        std::string& kept = r.headers[name.toLower().toStdString()];
        kept += (kept.empty() ? "" : ", ") + value.toStdString(); // a repeated header as one list
    }
    r.body = q.body().toStdString();
    r.peer = q.remoteAddress().toString().toStdString();
    return r;
}

} // namespace

class QtHttpServer::Guard : public QTcpServer {
public:
    explicit Guard(QObject* parent) : QTcpServer(parent) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        if (open_ >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++open_;
        QObject::connect(socket, &QObject::destroyed, this, [this] { --open_; });
        new ConnectionLimits(socket);
        addPendingConnection(socket);
    }

private:
    int open_ = 0;
};

class QtHttpServer::Server : public QAbstractHttpServer {
public:
    Handler handler;
    std::vector<QPointer<QTcpSocket>> streams;

    void send(const QByteArray& bytes) {
        std::erase_if(streams, [](const QPointer<QTcpSocket>& s) { return s.isNull(); });
        for (const auto& s : streams) {
            if (s->bytesToWrite() > MaxBacklogBytes) s->abort(); // a reader that does not keep up
            else s->write(bytes);
        }
    }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        const HttpResponse answer = handler(requestFrom(request));
        ConnectionLimits* limits = limitsOf(socket);
        if (limits) limits->answered();
        if (answer.eventStream) {
            QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nConnection: keep-alive\r\n";
            for (const auto& [name, value] : answer.headers)
                head += QByteArray::fromStdString(name) + ": " + QByteArray::fromStdString(value) + "\r\n";
            socket->write(head + "\r\n" + QByteArray::fromStdString(answer.body));
            if (limits) limits->becomeStream();
            streams.emplace_back(socket);
            return true;
        }
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(answer.status));
        responder.writeHeader("Content-Type", QByteArray::fromStdString(answer.contentType));
        for (const auto& [name, value] : answer.headers)
            responder.writeHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
        responder.writeHeader("Content-Length", QByteArray::number(static_cast<qsizetype>(answer.body.size())));
        responder.writeBody(QByteArray::fromStdString(answer.body));
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket* socket) override { socket->abort(); }
};

// The HTTP server owns the listening socket it is bound to.
QtHttpServer::QtHttpServer() : server_(std::make_unique<Server>()), guard_(new Guard(server_.get())) {}

QtHttpServer::~QtHttpServer() {
    server_->streams.clear();
    guard_->close();
}

std::string QtHttpServer::listen(const std::string& host, int port, Handler handler) {
    server_->handler = std::move(handler);
    const QHostAddress address = host == "localhost" ? QHostAddress(QHostAddress::LocalHost)
                                                     : QHostAddress(QString::fromStdString(host));
    if (address.isNull()) return "'" + host + "' is not an IP address";
    if (!guard_->listen(address, static_cast<quint16>(port))) return guard_->errorString().toStdString();
    server_->bind(guard_);
    return "";
}

int QtHttpServer::port() const { return guard_->serverPort(); }

void QtHttpServer::sendEvent(const std::string& event) { server_->send(QByteArray::fromStdString(event)); }

std::size_t QtHttpServer::eventStreams() const {
    return static_cast<std::size_t>(std::count_if(server_->streams.begin(), server_->streams.end(),
                                                  [](const QPointer<QTcpSocket>& s) { return !s.isNull(); }));
}

} // namespace zul::web::qt
