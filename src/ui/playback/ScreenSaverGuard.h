#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>

// Keeps the screen saver away while a channel plays, through the desktop's
// org.freedesktop.ScreenSaver service. Where there is no session bus or no such service,
// nothing happens and nothing is reported. The calls never wait for an answer.
class ScreenSaverGuard : public QObject {
    Q_OBJECT

public:
    inline static const QString kApplication = QStringLiteral("VELO");
    inline static const QString kReason = QStringLiteral("テレビ番組を再生しています");

    explicit ScreenSaverGuard(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);
    ~ScreenSaverGuard() override;

    // Playing: the screen saver is held off; not playing: it is let go again.
    void setPlaying(bool playing);
    bool holding() const { return m_wanted; }

private:
    void release();

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_asked = false;  // an Inhibit is on its way or granted
    quint32 m_cookie = 0;  // what the service answered; 0 until then
    QDBusPendingCall m_pending = QDBusPendingCall::fromCompletedCall(QDBusMessage());
};
