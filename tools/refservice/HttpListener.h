#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

class WebFrontend;

// One listening web server with its own thread. It binds before it starts, so a port in use is
// reported before anything is announced, and it can be restarted on the same port if its accept
// loop ever gives up.
class HttpListener {
public:
    // Connections held by slow (delayed) requests must not starve the rest.
    static constexpr std::size_t kThreads = 16;

    HttpListener(WebFrontend& frontend, bool withControl);
    ~HttpListener();

    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Binds HOST:PORT (port 0: any free port). On failure ERROR says why.
    bool bind(const std::string& host, int port, QString& error);
    int port() const { return m_port; }

    // Starts serving and waits until the server accepts connections.
    bool start();

    // True when the server stopped serving without being asked to.
    bool failed() const;

    // Binds the same port again and serves; for use after failed().
    bool restart(QString& error);

    void stop();

private:
    void configure();

    WebFrontend& m_frontend;
    bool m_withControl;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_serving{false};
    std::atomic<bool> m_stopping{false};
    std::string m_host;
    int m_port = 0;
};
