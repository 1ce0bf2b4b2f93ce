#include "HttpListener.h"

#include "WebFrontend.h"

#include <httplib.h>

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

}  // namespace

HttpListener::HttpListener(WebFrontend& frontend, bool withControl)
    : m_frontend(frontend), m_withControl(withControl) {}

HttpListener::~HttpListener() {
    stop();
}

bool HttpListener::bind(const std::string& host, int port, QString& error) {
    m_host = host;
    configure();
    errno = 0;
    int bound = -1;
    if (port == 0) {
        bound = m_server->bind_to_any_port(host);
    } else if (m_server->bind_to_port(host, port)) {
        bound = port;
    }
    if (bound < 0) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(QString::fromStdString(host))
                    .arg(port)
                    .arg(errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                    : QStringLiteral("address unavailable"));
        return false;
    }
    m_port = bound;
    return true;
}

bool HttpListener::start() {
    m_stopping = false;
    m_serving = true;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_serving = false;
    });
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!m_server->is_running()) {
        if (!m_serving || std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool HttpListener::failed() const {
    return !m_stopping && !m_serving;
}

bool HttpListener::restart(QString& error) {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    // A fresh server object: the old one may hold state from the loop that ended.
    return bind(m_host, m_port, error) && start();
}

void HttpListener::stop() {
    m_stopping = true;
    if (m_server) {
        m_server->stop();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void HttpListener::configure() {
    m_server = std::make_unique<httplib::Server>();
    // The library's default socket option (SO_REUSEPORT) would let a second service bind the
    // same port silently; SO_REUSEADDR alone still allows a quick restart.
    m_server->set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    m_server->set_address_family(AF_INET);
    // Pieces of a split reply must leave when they are written, not when an earlier one is
    // acknowledged.
    m_server->set_tcp_nodelay(true);
    // Idle kept-alive connections hold a thread each and delay a stop until they time out.
    m_server->set_keep_alive_timeout(2);
    m_server->set_read_timeout(5);
    m_server->set_write_timeout(5);
    // A scripted reply arrives as the body of its script, and the hostile ones run to 100 MiB.
    m_server->set_payload_max_length(128 * 1024 * 1024);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    m_server->set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr error) {
            std::string what = "unknown";
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            std::fprintf(stderr, "refservice: %s %s failed: %s\n", req.method.c_str(),
                         req.path.c_str(), what.c_str());
            res.status = 500;
            res.set_content("internal error\n", "text/plain; charset=utf-8");
        });
    m_frontend.install(*m_server, m_withControl);
}
