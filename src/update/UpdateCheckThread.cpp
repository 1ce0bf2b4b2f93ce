#include "update/UpdateCheckThread.h"

#include "ProgramVersion.h"
#include "platform/UdpSocket.h"
#include "service/ServiceState.h"
#include "update/DatagramReply.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

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

UpdateCheckThread::UpdateCheckThread(std::shared_ptr<const ServiceState> state)
    : m_state(std::move(state)), m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

UpdateCheckThread::~UpdateCheckThread() {
    if (m_stopFd >= 0) {
        ::close(m_stopFd);
    }
}

QByteArray UpdateCheckThread::query() {
    return QByteArray("^001|1#") + kProgramVersion + QByteArray("|cn$") + '\0';
}

void UpdateCheckThread::stop() {
    m_stopped = true;
    if (m_stopFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
    }
}

bool UpdateCheckThread::pause(int ms) {
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

UpdateCheckThread::End UpdateCheckThread::run(const Reactions& reactions) {
    m_sent = 0;
    if (!pause(m_timing.firstDelayMs)) {
        return End::Stopped;
    }
    UdpSocket socket;
    const auto send = [&] {
        const bool sent = socket.sendTo(query(), m_state->serverIp(), kPort);
        if (sent) {
            ++m_sent;
        }
        return sent;
    };
    if (!socket.bind(0, kPort) || !send()) {
        return End::SocketFailed;
    }
    for (;;) {
        pollfd entries[2] = {{socket.descriptor(), POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        const int ready = ::poll(entries, 2, m_timing.replyWaitMs);
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
            // The service is silent: ask again.
            if (!pause(m_timing.resendDelayMs)) {
                return End::Stopped;
            }
            if (!send()) {
                return End::SocketFailed;
            }
            continue;
        }
        if ((entries[0].revents & (POLLERR | POLLNVAL)) != 0) {
            return End::SocketFailed;
        }
        if ((entries[0].revents & POLLIN) == 0) {
            continue;
        }
        const QByteArray datagram = socket.receive(kReplyBytes);
        QString text1;
        QString text2;
        int retry = 0;
        int flag = 0;
        if (DatagramReply::ParseDatagramReply(decodeReply(datagram), text1, text2, retry, flag) ==
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

QString UpdateCheckThread::askOnce(const ServiceState& state, int waitMs) {
    UdpSocket socket;
    if (!socket.bind(0, kPort) || !socket.sendTo(query(), state.serverIp(), kPort) ||
        !socket.waitReadable(waitMs)) {
        return {};
    }
    return decodeReply(socket.receive(kReplyBytes));
}
