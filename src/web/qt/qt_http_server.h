#pragma once
// The web remote's server on QHttpServer (Qt's QAbstractHttpServer reads
// the requests), behind a listening socket of our own that bounds what a
// client may do, since the HTTP server itself does not:
//  - at most MaxConnections at once; further ones are closed at once;
//  - a request (headers and body) of at most MaxRequestBytes, else 413 and
//    the connection closes;
//  - a connection that has not sent a whole request within RequestTimeoutMs
//    of connecting or of its last answer is closed (slow or idle clients);
//  - an event stream that falls MaxBacklogBytes behind is closed.
// So a stuck or hostile client never holds up the event loop, and with it
// the transmitter and the windows.
#include <QPointer>
#include <QTcpSocket>
#include <memory>
#include <vector>

#include "web/http_server.h"

namespace zul::web::qt {

class QtHttpServer : public HttpServer {
public:
    static constexpr int MaxConnections = 32;
    static constexpr int RequestTimeoutMs = 10000;
    static constexpr qint64 MaxRequestBytes = 16 * 1024;
    static constexpr qint64 MaxBacklogBytes = 256 * 1024;

    QtHttpServer();
    ~QtHttpServer() override;
    std::string listen(const std::string& host, int port, Handler handler) override;
    int port() const override;
    void sendEvent(const std::string& event) override;
    std::size_t eventStreams() const override;

private:
    class Guard;
    class Server;
    std::unique_ptr<Server> server_;
    Guard* guard_;
};

} // namespace zul::web::qt
