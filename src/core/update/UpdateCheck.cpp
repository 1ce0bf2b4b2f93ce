#include "update/UpdateCheck.h"

#include "ProgramVersion.h"
#include "platform/UdpSocket.h"
#include "service/ServiceState.h"
#include "update/DatagramReply.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

namespace {

constexpr int kReplyBytes = 2050;
constexpr int kMaxReplyChars = 1024;

QString decodeReply(QByteArray datagram) {
    const qsizetype zero = datagram.indexOf('\0');
    if (zero >= 0) {
        datagram.truncate(zero);
    }
    return QString::fromUtf8(datagram).left(kMaxReplyChars);
}

}  // namespace

UpdateCheck::UpdateCheck(std::shared_ptr<const ServiceState> state)
    : m_state(std::move(state)), m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

UpdateCheck::~UpdateCheck() {
    if (m_stopFd >= 0) {
        ::close(m_stopFd);
    }
}

QByteArray UpdateCheck::query() {
    return QByteArray("^001|1#") + kProgramVersion + QByteArray("|cn$") + '\0';
}

void UpdateCheck::stop() {
    m_stopped = true;
    if (m_stopFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
    }
}

bool UpdateCheck::pause(int ms) {
    pollfd entry{m_stopFd, POLLIN, 0};
    while (!m_stopped) {
        const int ready = ::poll(&entry, 1, ms);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready == 0 && !m_stopped;
    }
    return false;
}

UpdateCheck::End UpdateCheck::run(const Reactions& reactions) {
    m_sent = 0;
    if (!pause(m_timing.firstDelayMs)) {
        return End::Stopped;
    }
    UdpSocket socket;
    std::uint32_t server = 0;
    // False when the socket failed. While the service host's address is not known, nothing is
    // sent and the check waits as if unanswered.
    const auto send = [&] {
        server = m_state->serverIp();
        if (server == 0) {
            return true;
        }
        if (!socket.isOpen() && !socket.bind(UdpSocket::sourceAddressFor(server), kPort)) {
            return false;
        }
        if (!socket.sendTo(query(), server, kPort)) {
            return false;
        }
        ++m_sent;
        return true;
    };
    if (!send()) {
        return End::SocketFailed;
    }
    for (;;) {
        // Only a reply from the service host's port counts; anything else is read and the wait
        // goes on for the time it had left.
        std::optional<QByteArray> reply;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timing.replyWaitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd entries[2] = {{socket.isOpen() ? socket.descriptor() : -1, POLLIN, 0},
                                 {m_stopFd, POLLIN, 0}};
            const int ready = ::poll(entries, 2, static_cast<int>(left.count()));
            if (m_stopped) {
                return End::Stopped;
            }
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return End::SocketFailed;
            }
            if (ready == 0) {
                break;
            }
            if ((entries[0].revents & (POLLERR | POLLNVAL)) != 0) {
                return End::SocketFailed;
            }
            if ((entries[0].revents & POLLIN) == 0) {
                continue;
            }
            std::uint32_t from = 0;
            std::uint16_t fromPort = 0;
            std::optional<QByteArray> datagram = socket.receive(kReplyBytes, &from, &fromPort);
            if (!datagram) {
                return End::SocketFailed;
            }
            if (from == server && fromPort == kPort) {
                reply = std::move(datagram);
                break;
            }
        }
        if (!reply) {
            // The service is silent: ask again.
            if (!pause(m_timing.resendDelayMs)) {
                return End::Stopped;
            }
            if (!send()) {
                return End::SocketFailed;
            }
            continue;
        }
        QString text1;
        QString text2;
        int retry = 0;
        int flag = 0;
        if (DatagramReply::ParseDatagramReply(decodeReply(*reply), text1, text2, retry, flag) ==
            1) {
            if (flag == 1) {
                if (reactions.mandatoryUpdate) {
                    reactions.mandatoryUpdate();
                }
            } else if (reactions.newVersion) {
                reactions.newVersion(text2);
            }
            return End::Answered;
        }
        if (retry == 0) {
            return End::Declined;
        }
        if (!pause(m_timing.resendDelayMs)) {
            return End::Stopped;
        }
        if (!send()) {
            return End::SocketFailed;
        }
    }
}

QString UpdateCheck::askOnce(const ServiceState& state, int waitMs) {
    const std::uint32_t server = state.serverIp();
    UdpSocket socket;
    if (server == 0 || !socket.bind(UdpSocket::sourceAddressFor(server), kPort) ||
        !socket.sendTo(query(), server, kPort)) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !socket.waitReadable(static_cast<int>(left.count()))) {
            return {};
        }
        std::uint32_t from = 0;
        std::uint16_t fromPort = 0;
        const std::optional<QByteArray> datagram = socket.receive(kReplyBytes, &from, &fromPort);
        if (!datagram) {
            return {};
        }
        if (from == server && fromPort == kPort) {
            return decodeReply(*datagram);
        }
    }
}
