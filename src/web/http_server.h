#pragma once
// The listening side of the web remote, kept behind this interface so that
// the remote's logic has no network library in it (the real one is on
// QHttpServer, web/qt). It reads requests within its bounds and hands each
// to the handler on the event-loop thread; an answer that is an event stream
// keeps its connection, and every event sent goes to all such connections.
#include <functional>
#include <memory>
#include <string>

#include "web/api.h"

namespace zul::web {

class HttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    virtual ~HttpServer() = default;
    // "" when it listens; else why not ("the address is in use").
    virtual std::string listen(const std::string& host, int port, Handler handler) = 0;
    // The port it listens on (the one chosen when 0 was asked for).
    virtual int port() const = 0;
    virtual void sendEvent(const std::string& event) = 0;
    virtual std::size_t eventStreams() const = 0;
};

using HttpServerFactory = std::function<std::unique_ptr<HttpServer>()>;

} // namespace zul::web
