#include "playback/ScreenSaverGuard.h"

#include "support/QtWait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The desktop's screen-saver service as a test needs it: it counts what it is asked.
class CountingScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    int inhibits = 0;
    QList<quint32> released;
    QString application;
    QString reason;

public slots:
    quint32 Inhibit(const QString& app, const QString& why) {
        ++inhibits;
        application = app;
        reason = why;
        return 4200 + static_cast<quint32>(inhibits);
    }
    void UnInhibit(quint32 cookie) { released.append(cookie); }
};

// A session bus of the test's own, so the machine's desktop is never touched.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (m_daemon.waitForStarted(5000)) {
            while (!m_address.contains('\n') && m_daemon.waitForReadyRead(5000)) {
                m_address += m_daemon.readAllStandardOutput();
            }
        }
        m_address = m_address.trimmed();
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    bool running() const { return !m_address.isEmpty(); }
    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(QString::fromUtf8(m_address), name);
    }

private:
    QProcess m_daemon;
    QByteArray m_address;
};

}  // namespace

TEST(ScreenSaverGuard, HoldsTheScreenSaverOffWhilePlayingAndLetsItGoAfter) {
    PrivateBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon could not start";
    QDBusConnection serviceSide = bus.connect(QStringLiteral("service"));
    CountingScreenSaver saver;
    ASSERT_TRUE(serviceSide.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(serviceSide.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                           QDBusConnection::ExportAllSlots));
    {
        ScreenSaverGuard guard(bus.connect(QStringLiteral("client")));
        guard.setPlaying(true);
        guard.setPlaying(true);  // still playing: asked once
        EXPECT_EQ_SOON(saver.inhibits, 1, 5000);
        EXPECT_EQ(saver.application, ScreenSaverGuard::kApplication);
        EXPECT_EQ(saver.reason, ScreenSaverGuard::kReason);
        guard.setPlaying(false);
        EXPECT_EQ_SOON(saver.released.size(), 1, 5000);
        EXPECT_EQ(saver.released.front(), 4201u) << "the cookie it was given";

        // Playing again, then the client closes while playing: let go at the end.
        guard.setPlaying(true);
        EXPECT_EQ_SOON(saver.inhibits, 2, 5000);
    }
    EXPECT_EQ_SOON(saver.released.size(), 2, 5000);
    EXPECT_EQ(saver.released.back(), 4202u);
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

TEST(ScreenSaverGuard, WithoutTheServiceNothingHappens) {
    PrivateBus bus;
    ASSERT_TRUE(bus.running());
    ScreenSaverGuard guard(bus.connect(QStringLiteral("alone")));
    guard.setPlaying(true);
    QTest::qWait(200);
    guard.setPlaying(false);
    EXPECT_FALSE(guard.holding());
    ScreenSaverGuard noBus(QDBusConnection(QStringLiteral("never-connected")));
    noBus.setPlaying(true);
    noBus.setPlaying(false);
    QDBusConnection::disconnectFromBus(QStringLiteral("alone"));
}

#include "ScreenSaverGuardTest.moc"
