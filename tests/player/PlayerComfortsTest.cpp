#include "ZarFixture.h"

#include "platform/IniFile.h"
#include "player/OverlayNote.h"
#include "player/PlayerSettings.h"
#include "player/ZarTexts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// Remembers the keys that reach it, as the player window does before it swallows them.
class KeyRecorder : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            keys.append(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
};

class PlayerComfortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_zar.service().running());
        m_statePath = PlayerSettings::defaultPath();
        ASSERT_TRUE(m_statePath.startsWith(m_zar.configFolder())) << m_statePath.toStdString();
        QDir().mkpath(QFileInfo(m_statePath).absolutePath());
    }
    void startPlaying() {
        m_zar.create();
        m_zar.play(m_zar.service().streamUrl(101), QStringLiteral("VELOニュース24"));
        ASSERT_TRUE(ZarFixture::waitFor([&] { return m_zar.state(2) != 0; }));
    }
    QWidget* picture() {
        return m_zar.control()->widget()->findChild<QWidget*>(QStringLiteral("videoSurface"));
    }
    void key(int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(picture(), &press);
    }
    void wheel(int delta) {
        const QPointF at(50, 50);
        QWheelEvent event(at, picture()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(picture(), &event);
    }
    void doubleClick() {
        const QPointF at(40, 40);
        QMouseEvent event(QEvent::MouseButtonDblClick, at, picture()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture(), &event);
    }
    QString note() { return m_zar.pane("note").toString(); }
    bool fullScreen() { return m_zar.pane("pictureFullScreen").toBool(); }
    bool remembered(int volume, bool muted) {
        return ZarFixture::waitFor(
            [&] {
                const PlayerSettings saved(m_statePath);
                return saved.volume() == volume && saved.muted() == muted;
            },
            5000);
    }

    ZarFixture m_zar;
    QString m_statePath;
};

}  // namespace

// The duration ffprobe reads from a recording, in seconds (0 when it reads none).
double probedDuration(const QString& path) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format=duration"), QStringLiteral("-of"),
                 QStringLiteral("default=noprint_wrappers=1:nokey=1"), path});
    probe.waitForFinished(20000);
    return QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toDouble();
}

TEST_F(PlayerComfortsTest, WheelArrowsAndMuteChangeTheSoundAndAreRememberedForTheNextRun) {
    ASSERT_TRUE(PlayerSettings(m_statePath).setVolume(40));
    startPlaying();
    EXPECT_EQ(note(), QStringLiteral("VELOニュース24"));  // the channel's name as it starts

    wheel(120);
    EXPECT_EQ(note(), ZarTexts::volume(45));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(note(), ZarTexts::volume(55));
    key(Qt::Key_Down);
    wheel(-120);
    EXPECT_EQ(note(), ZarTexts::volume(45));
    key(Qt::Key_M);
    EXPECT_EQ(note(), ZarTexts::muted());
    EXPECT_TRUE(remembered(45, true));
    // The note fades after a moment.
    EXPECT_TRUE(ZarFixture::waitFor([&] { return note().isEmpty(); }, 5000));

    // The next run starts where this one ended.
    startPlaying();
    wheel(120);
    EXPECT_TRUE(note().startsWith(ZarTexts::volume(50))) << note().toStdString();
    key(Qt::Key_M);
    EXPECT_EQ(note(), ZarTexts::unmuted());
    EXPECT_TRUE(remembered(50, false));
    for (int i = 0; i < 30; ++i) {
        wheel(120);
    }
    EXPECT_EQ(note(), ZarTexts::volume(100));
    EXPECT_TRUE(remembered(100, false));
}

TEST_F(PlayerComfortsTest, AGarbledStateFileGivesTheDefaultsAndIsWrittenAnew) {
    QFile garbled(m_statePath);
    ASSERT_TRUE(garbled.open(QIODevice::WriteOnly));
    garbled.write(QByteArray("[Player]\nVolume=loud\nMute=\xff\xfe\x00\x01\n", 29));
    garbled.close();
    startPlaying();
    wheel(120);
    EXPECT_EQ(note(), ZarTexts::volume(PlayerSettings::kDefaultVolume + 5));
    EXPECT_TRUE(remembered(PlayerSettings::kDefaultVolume + 5, false));
}

TEST_F(PlayerComfortsTest, FullScreenComesAndGoesWhilePlayingAndEscapeOtherwiseReachesTheHost) {
    startPlaying();
    KeyRecorder recorder;
    m_zar.host().installEventFilter(&recorder);
    key(Qt::Key_Escape);
    key(Qt::Key_Return);
    EXPECT_EQ(recorder.keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return}));

    doubleClick();
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(picture()->isWindow());
    recorder.keys.clear();
    key(Qt::Key_Escape);
    EXPECT_FALSE(fullScreen());
    EXPECT_FALSE(picture()->isWindow());
    EXPECT_TRUE(recorder.keys.isEmpty());  // used to leave full screen, not passed on

    key(Qt::Key_F11);
    EXPECT_TRUE(fullScreen());
    const qint64 frames = m_zar.frames();
    EXPECT_TRUE(ZarFixture::waitFor([&] { return m_zar.frames() > frames + 10; }));
    key(Qt::Key_F);
    EXPECT_FALSE(fullScreen());
    key(Qt::Key_F);
    EXPECT_TRUE(fullScreen());
    doubleClick();
    EXPECT_FALSE(fullScreen());
    // The picture is back in the pane, filling it.
    EXPECT_EQ(picture()->parentWidget()->objectName(), QStringLiteral("playerView"));
    EXPECT_TRUE(ZarFixture::waitFor([&] { return picture()->size() == QSize(320, 238); }));

    // The keys the host passes on from elsewhere in its window work as on the picture.
    QKeyEvent passed(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
    QApplication::sendEvent(m_zar.control()->widget(), &passed);
    EXPECT_TRUE(fullScreen());
    QApplication::sendEvent(m_zar.control()->widget(), &passed);
    EXPECT_FALSE(fullScreen());

    // A channel change is a stop and a play at once: the picture stays full screen, its note
    // announcing the new channel.
    key(Qt::Key_F11);
    m_zar.stop();
    m_zar.play(m_zar.service().streamUrl(102), QStringLiteral("VELOスポーツ"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(picture()->isWindow());
    EXPECT_EQ(note(), QStringLiteral("VELOスポーツ"));

    // Stopping leaves full screen: no black window stays over the desktop.
    m_zar.stop();
    EXPECT_TRUE(ZarFixture::waitFor([&] { return !fullScreen(); }, 2000));
    EXPECT_FALSE(picture()->isWindow());
}

TEST(PlayerSettings, HardwareDecodingIsOnUnlessTheStateFileTurnsItOff) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("state.ini"));
    for (const auto& [written, allowed] :
         std::initializer_list<std::pair<const char*, bool>>{{nullptr, true},
                                                             {"yes", true},
                                                             {"auto", true},
                                                             {"no", false},
                                                             {"Off", false},
                                                             {"0", false}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (written != nullptr) {
            file.write(QByteArray("[Player]\nHardwareDecoding=") + written + "\n");
        }
        file.close();
        EXPECT_EQ(PlayerSettings(path).hardwareDecoding(), allowed)
            << (written ? written : "(none)");
    }
}

TEST(OverlayNote, ANoteThatFitsThePictureIsNeverCutAndOneThatDoesNotEndsInAnEllipsis) {
    QFont font;
    font.setBold(true);
    for (const int pixels : {14, 16, 21, 27}) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        for (const QString& note :
             {ZarTexts::volume(75), ZarTexts::volume(100), ZarTexts::muted(), ZarTexts::unmuted(),
              QStringLiteral("新番組チャンネル"), QStringLiteral("VELOニュース24")}) {
            const QRect wide(0, 0, 1280, 720);
            const OverlayNote placed = OverlayNote::place(note, metrics, wide);
            EXPECT_EQ(placed.text, note) << pixels << " px";
            // The box's inside is wide enough by the measure that cuts text.
            EXPECT_EQ(metrics.elidedText(note, Qt::ElideRight,
                                         placed.box.width() - 2 * OverlayNote::kPadding),
                      note)
                << pixels << " px";
            // A picture too narrow for it: cut, in the box, with an ellipsis.
            const QRect narrow(0, 0, 2 * OverlayNote::kMargin + 2 * OverlayNote::kPadding + 40,
                               200);
            const OverlayNote cut = OverlayNote::place(note, metrics, narrow);
            EXPECT_TRUE(cut.text.endsWith(QChar(0x2026))) << cut.text.toStdString();
            EXPECT_LE(cut.box.right(), narrow.right() - OverlayNote::kMargin + 1);
        }
    }
}

TEST_F(PlayerComfortsTest, WithoutASoundDeviceThePaneSaysSoAndTheSoundKeysSayItAgain) {
    // ALSA with a configuration that has no device, as on a machine with no sound card; the
    // silent output behind it takes the sound.
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("asound.conf"));
    QFile empty(config);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    qputenv("ALSA_CONFIG_PATH", config.toUtf8());
    qputenv("VELO_AUDIO_OUTPUT", "alsa,null");
    startPlaying();
    EXPECT_TRUE(ZarFixture::waitFor([&] { return note() == ZarTexts::noSoundOutput(); }, 10000))
        << note().toStdString();
    key(Qt::Key_M);
    EXPECT_EQ(note(), ZarTexts::noSoundOutput()) << "no muting what nobody hears";
    wheel(120);
    EXPECT_EQ(note(), ZarTexts::noSoundOutput());
    qunsetenv("ALSA_CONFIG_PATH");
    qputenv("VELO_AUDIO_OUTPUT", "null");
}

// How far behind live the corner says the picture is, in seconds (-1: it says nothing of it).
int behindShown(const QString& marks) {
    static const QRegularExpression behind(QStringLiteral("タイムシフト -(\\d+):(\\d+)"));
    const QRegularExpressionMatch match = behind.match(marks);
    return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

TEST_F(PlayerComfortsTest, LiveTelevisionIsHeldAndMovedThroughWithinItsBound) {
    ASSERT_TRUE(IniFile::writeString(m_statePath, QStringLiteral("Player"),
                                     QStringLiteral("TimeshiftSeconds"), QStringLiteral("6")));
    startPlaying();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return m_zar.pane("framesShown").toInt() > 0; }));
    const auto marks = [&] { return m_zar.pane("marks").toString(); };
    key(Qt::Key_Space);
    EXPECT_EQ(note(), ZarTexts::paused());
    ZarFixture::waitFor([] { return false; }, 3000);
    key(Qt::Key_Space);
    EXPECT_EQ(note(), ZarTexts::resumed());
    // The stream went on arriving while the picture was held: it is that far behind.
    ASSERT_TRUE(ZarFixture::waitFor([&] { return behindShown(marks()) >= 2; }))
        << marks().toStdString();
    EXPECT_LE(behindShown(marks()), 5) << marks().toStdString();
    EXPECT_EQ(m_zar.state(2), 1) << "it plays on, without a reload";
    key(Qt::Key_End);
    EXPECT_EQ(note(), ZarTexts::live());
    EXPECT_TRUE(ZarFixture::waitFor([&] { return behindShown(marks()) < 0; }))
        << marks().toStdString();

    // Held past the bound, the picture moves on: nothing older than the bound is kept.
    key(Qt::Key_Space);
    ZarFixture::waitFor([] { return false; }, 9000);
    EXPECT_LE(behindShown(marks()), 8) << marks().toStdString();
    key(Qt::Key_Left);
    EXPECT_EQ(note(), ZarTexts::back(10));
    ZarFixture::waitFor([] { return false; }, 600);
    EXPECT_LE(behindShown(marks()), 8) << "no step back past the bound";

    // What was kept goes with the player: libmpv's files in the cache folder with it.
    m_zar.destroy();
    EXPECT_TRUE(QDir(PlayerSettings::timeshiftFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(PlayerComfortsTest, RecordingsAndStillsAreWholeFilesNamedAfterTheChannel) {
    QTemporaryDir folder;
    for (const char* key : {"RecordFolder", "StillFolder"}) {
        ASSERT_TRUE(IniFile::writeString(m_statePath, QStringLiteral("Player"),
                                         QString::fromLatin1(key), folder.path()));
    }
    startPlaying();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return m_zar.pane("framesShown").toInt() > 0; }));
    const auto files = [&folder](const char* pattern) {
        return QDir(folder.path()).entryInfoList({QString::fromLatin1(pattern)}, QDir::Files);
    };

    key(Qt::Key_S);
    ASSERT_TRUE(ZarFixture::waitFor([&] { return note() == ZarTexts::stillSaved(); }))
        << note().toStdString();
    ASSERT_EQ(files("*.png").size(), 1);
    EXPECT_TRUE(files("*.png").front().fileName().startsWith(QStringLiteral("VELOニュース24 ")));
    const QImage still(files("*.png").front().filePath());
    EXPECT_EQ(still.size(), QSize(640, 360)) << "the video's own size";
    EXPECT_NE(still.pixel(10, 10), still.pixel(still.width() / 2, still.height() / 2));

    key(Qt::Key_R);
    EXPECT_TRUE(note().startsWith(QStringLiteral("録画開始: VELOニュース24 ")))
        << note().toStdString();
    EXPECT_TRUE(m_zar.pane("marks").toString().startsWith(QStringLiteral("● 録画中 00:0")));
    ZarFixture::waitFor([] { return false; }, 5000);
    key(Qt::Key_R);
    EXPECT_EQ(note(), ZarTexts::recordingStopped());
    EXPECT_TRUE(files("*.part.ts").isEmpty()) << "no file is left under its temporary name";
    ASSERT_EQ(files("*.ts").size(), 1);
    const double seconds = probedDuration(files("*.ts").front().filePath());
    // The recorder begins at the stream's next key frame, up to a group of pictures after R.
    EXPECT_GT(seconds, 2.5);
    EXPECT_LT(seconds, 7.0);

    // A channel change ends a recording as whole as the R key does.
    key(Qt::Key_R);
    ZarFixture::waitFor([] { return false; }, 1500);
    m_zar.play(m_zar.service().streamUrl(102), QStringLiteral("スポーツライブ1"));
    EXPECT_TRUE(ZarFixture::waitFor([&] { return files("*.ts").size() == 2; }));
    EXPECT_TRUE(files("*.part.ts").isEmpty());
    EXPECT_FALSE(m_zar.pane("marks").toString().contains(QStringLiteral("録画中")));

    key(Qt::Key_Question);
    EXPECT_TRUE(m_zar.pane("helpShown").toBool());
    key(Qt::Key_Escape);
    EXPECT_FALSE(m_zar.pane("helpShown").toBool());
}

TEST_F(PlayerComfortsTest, ARecordingStopsWholeBeforeTheDiskIsFull) {
    QTemporaryDir mountPoint;
    const QString small = mountPoint.path();
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=4m"), QStringLiteral("tmpfs"), small}) != 0) {
        GTEST_SKIP() << "no small file system can be mounted here to fill";
    }
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {small}); });
    ASSERT_TRUE(IniFile::writeString(m_statePath, QStringLiteral("Player"),
                                     QStringLiteral("RecordFolder"), small));
    ASSERT_TRUE(IniFile::writeString(m_statePath, QStringLiteral("Player"),
                                     QStringLiteral("RecordMinFreeMegabytes"),
                                     QStringLiteral("3")));
    startPlaying();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return m_zar.pane("framesShown").toInt() > 0; }));
    // Room for a few hundred kilobytes before the last three megabytes.
    {
        QFile filler(small + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const qint64 room = QStorageInfo(small).bytesAvailable() - 3 * 1024 * 1024 - 300 * 1024;
        ASSERT_GT(room, 0);
        filler.write(QByteArray(room, '\0'));
    }
    key(Qt::Key_R);
    ASSERT_TRUE(ZarFixture::waitFor([&] { return note() == ZarTexts::diskFull(); }, 20000))
        << note().toStdString();
    const QFileInfoList recorded = QDir(small).entryInfoList({QStringLiteral("*.ts")}, QDir::Files);
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_GT(probedDuration(recorded.front().filePath()), 0.0) << "the part written plays";
    EXPECT_TRUE(QDir(small).entryList({QStringLiteral("*.part.ts")}, QDir::Files).isEmpty());
}
