#include "DatagramEndpoint.h"

#include "DatagramAnswers.h"
#include "FaultBook.h"
#include "SessionBook.h"

#include <QRandomGenerator>
#include <QString>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The longest a poll waits, which bounds how late a stop request is noticed.
constexpr int kPollSliceMs = 100;

}  // namespace

DatagramEndpoint::DatagramEndpoint(DatagramAnswers& answers, SessionBook& book, FaultBook& faults)
    : m_answers(answers), m_book(book), m_faults(faults) {}

DatagramEndpoint::~DatagramEndpoint() {
    stop();
    if (m_socket >= 0) {
        close(m_socket);
    }
}

bool DatagramEndpoint::bind(const in_addr& address, int port, QString& error) {
    m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) {
        error = QStringLiteral("cannot create a datagram socket: %1").arg(std::strerror(errno));
        return false;
    }
    // No address reuse: a second service on the same address and port must fail here rather
    // than share the port and take some of the first one's datagrams.
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = QStringLiteral("cannot bind UDP port %1: %2").arg(port).arg(std::strerror(errno));
        close(m_socket);
        m_socket = -1;
        return false;
    }
    socklen_t length = sizeof local;
    getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length);
    m_port = ntohs(local.sin_port);
    return true;
}

void DatagramEndpoint::start() {
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

void DatagramEndpoint::stop() {
    m_stopping = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void DatagramEndpoint::run() {
    QByteArray buffer(kMaxDatagram, '\0');
    while (!m_stopping) {
        pollfd watch{m_socket, POLLIN, 0};
        const int ready = poll(&watch, 1, pollTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "refservice: poll on the datagram socket failed: %s\n",
                         std::strerror(errno));
            return;
        }
        if (ready > 0 && (watch.revents & POLLIN) != 0) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t received = recvfrom(m_socket, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                              reinterpret_cast<sockaddr*>(&from), &length);
            if (received >= 0 && from.sin_family == AF_INET) {
                handle(buffer.left(received), from);
            }
        }
        sendDue();
    }
}

void DatagramEndpoint::handle(const QByteArray& datagram, const sockaddr_in& from) {
    const QString text = DatagramAnswers::textOf(datagram);
    const QString command = DatagramAnswers::commandOf(text);
    m_book.recordDatagram(command, text);

    const auto script = command == QLatin1String("other")
                            ? std::nullopt
                            : m_faults.take(QStringLiteral("udp:") + command);
    if (!script) {
        send(m_answers.answer(text), from);
        return;
    }
    switch (script->action) {
        case FaultBook::Action::Reply:
            send(script->payload, from);
            return;
        case FaultBook::Action::Garbage: {
            QByteArray bytes(kGarbageBytes, '\0');
            for (char& byte : bytes) {
                byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
            }
            send(bytes, from);
            return;
        }
        case FaultBook::Action::Delay:
            m_pending.push_back(Pending{
                std::chrono::steady_clock::now() + std::chrono::milliseconds(script->delayMs), from,
                m_answers.answer(text)});
            return;
        case FaultBook::Action::Truncate: {
            const QByteArray whole = m_answers.answer(text);
            send(whole.left(whole.size() / 2), from);
            return;
        }
        case FaultBook::Action::Drop:
        case FaultBook::Action::Silence:
            return;
        case FaultBook::Action::Split1024:
        case FaultBook::Action::Dribble:
        case FaultBook::Action::Pause:
        case FaultBook::Action::Redirect:  // not scripted for datagrams
            break;
    }
    send(m_answers.answer(text), from);
}

void DatagramEndpoint::send(const QByteArray& bytes, const sockaddr_in& to) const {
    // A lost answer is what a datagram client must cope with anyway; nothing to do on failure.
    sendto(m_socket, bytes.constData(), static_cast<std::size_t>(bytes.size()), MSG_DONTWAIT,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void DatagramEndpoint::sendDue() {
    const auto now = std::chrono::steady_clock::now();
    // Sent in the order they fall due; several due at once keep the order they were queued in.
    std::stable_sort(m_pending.begin(), m_pending.end(),
                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
    auto firstLater = m_pending.begin();
    while (firstLater != m_pending.end() && firstLater->due <= now) {
        send(firstLater->bytes, firstLater->to);
        ++firstLater;
    }
    m_pending.erase(m_pending.begin(), firstLater);
}

int DatagramEndpoint::pollTimeoutMs() const {
    int timeout = kPollSliceMs;
    const auto now = std::chrono::steady_clock::now();
    for (const Pending& pending : m_pending) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pending.due - now).count();
        timeout = std::min<int>(timeout, static_cast<int>(std::max<long long>(wait, 0)));
    }
    return timeout;
}
