#include "mainwnd/ScreenSaverGuard.h"

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
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(inhibit), this);
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
