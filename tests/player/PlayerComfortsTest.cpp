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

TEST_F(PlayerComfortsTest, LiveTelevisionIsHeldAndMovedThroughWithinWhatHasArrived) {
    startPlaying();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return m_zar.pane("framesShown").toInt() > 0; }));
    key(Qt::Key_Space);
    EXPECT_EQ(note(), ZarTexts::paused());
    EXPECT_TRUE(m_zar.pane("marks").toString().contains(ZarTexts::paused()));
    // Held for a while, the picture is then behind the stream, which went on arriving.
    ZarFixture::waitFor([] { return false; }, 3500);
    key(Qt::Key_Space);
    EXPECT_EQ(note(), ZarTexts::resumed());
    EXPECT_TRUE(ZarFixture::waitFor([&] {
        return m_zar.pane("marks").toString().startsWith(QStringLiteral("ライブより"));
    })) << m_zar.pane("marks").toString().toStdString();
    key(Qt::Key_End);
    EXPECT_EQ(note(), ZarTexts::live());
    EXPECT_TRUE(ZarFixture::waitFor([&] { return m_zar.pane("marks").toString().isEmpty(); }))
        << m_zar.pane("marks").toString().toStdString();
    EXPECT_EQ(m_zar.state(2), 1) << "it plays on, without a reload";
}

TEST_F(PlayerComfortsTest, RecordingAndStillsGoToTheirFoldersAndTheKeysAreListed) {
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
    ASSERT_TRUE(ZarFixture::waitFor([&] { return note().startsWith("静止画を保存しました"); }))
        << note().toStdString();
    ASSERT_EQ(files("*.png").size(), 1);
    EXPECT_TRUE(files("*.png").front().fileName().startsWith(QStringLiteral("VELOニュース24 ")));
    EXPECT_FALSE(QImage(files("*.png").front().filePath()).isNull());

    key(Qt::Key_R);
    EXPECT_TRUE(note().startsWith(QStringLiteral("録画開始: VELOニュース24 ")))
        << note().toStdString();
    EXPECT_TRUE(m_zar.pane("marks").toString().startsWith(ZarTexts::recording()));
    ASSERT_TRUE(ZarFixture::waitFor(
        [&] { return files("*.ts").size() == 1 && files("*.ts").front().size() > 50000; }));
    key(Qt::Key_R);
    EXPECT_EQ(note(), ZarTexts::recordingStopped());
    EXPECT_TRUE(m_zar.pane("marks").toString().isEmpty());
    // What was still buffered is written as the file closes; after that, nothing more.
    ZarFixture::waitFor([] { return false; }, 500);
    const qint64 recorded = files("*.ts").front().size();
    ZarFixture::waitFor([] { return false; }, 1000);
    EXPECT_EQ(files("*.ts").front().size(), recorded) << "nothing more is written once it ends";

    key(Qt::Key_H);
    EXPECT_TRUE(m_zar.pane("helpShown").toBool());
    key(Qt::Key_Escape);
    EXPECT_FALSE(m_zar.pane("helpShown").toBool());
}
