#include "playback/ScreenSaverGuard.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

}  // namespace

ScreenSaverGuard::ScreenSaverGuard(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {}

ScreenSaverGuard::~ScreenSaverGuard() {
    m_wanted = false;
    if (m_asked && m_cookie == 0) {
        // The answer to an Inhibit is still on its way: whatever it grants is let go when it
        // comes, by a watcher that outlives this guard, so the screen saver is never held off
        // for a player that is gone.
        const QDBusConnection bus = m_bus;
        const auto letGo = [bus](const QDBusPendingReply<quint32>& reply) {
            if (!reply.isError()) {
                QDBusMessage uninhibit = call(QStringLiteral("UnInhibit"));
                uninhibit << reply.value();
                QDBusConnection(bus).asyncCall(uninhibit);
            }
        };
        // An answer that has arrived but not been read yet is never announced to a new watcher.
        if (m_pending.isFinished()) {
            letGo(m_pending);
            return;
        }
        auto* watcher = new QDBusPendingCallWatcher(m_pending);
        connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [letGo, watcher] {
            watcher->deleteLater();
            letGo(*watcher);
        });
        return;
    }
    release();
}

void ScreenSaverGuard::setPlaying(bool playing) {
    if (playing == m_wanted) {
        return;
    }
    m_wanted = playing;
    if (!playing) {
        release();
        return;
    }
    if (!m_bus.isConnected() || m_asked) {
        return;
    }
    m_asked = true;
    QDBusMessage inhibit = call(QStringLiteral("Inhibit"));
    inhibit << kApplication << kReason;
    m_pending = m_bus.asyncCall(inhibit);
    auto* watcher = new QDBusPendingCallWatcher(m_pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        if (reply.isError()) {
            m_asked = false;  // no such service: nothing to hold or let go
            return;
        }
        m_cookie = reply.value();
        // Playback may have stopped while the answer was on its way.
        if (!m_wanted) {
            release();
        }
    });
}

void ScreenSaverGuard::release() {
    if (!m_asked || m_cookie == 0) {
        return;  // nothing granted yet; an answer still coming is let go when it comes
    }
    QDBusMessage uninhibit = call(QStringLiteral("UnInhibit"));
    uninhibit << m_cookie;
    m_bus.asyncCall(uninhibit);
    m_cookie = 0;
    m_asked = false;
}
