#include "ZarFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>

#include <gtest/gtest.h>

ZarFixture::ZarFixture() : m_previousConfig(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("VELO_AUDIO_OUTPUT", "null");
    // Nothing else starts beside the control here: its player need not wait for that.
    qputenv("VELO_PLAYER_SETTLE_MS", "0");
    m_host.resize(320, 240);
    m_host.show();
    m_module.setFileName(QStringLiteral(VELO_ZAR_MODULE));
    EXPECT_TRUE(m_module.load()) << m_module.errorString().toStdString();
}

ZarFixture::~ZarFixture() {
    destroy();
    qputenv("XDG_CONFIG_HOME", m_previousConfig);
}

void ZarFixture::create(const QString& id, const QString& password, bool waitForPlayer) {
    destroy();
    const auto make =
        reinterpret_cast<VeloCreateControlFunction>(m_module.resolve(kCreateControlSymbol));
    const auto unmake =
        reinterpret_cast<VeloDestroyControlFunction>(m_module.resolve(kDestroyControlSymbol));
    ASSERT_NE(make, nullptr);
    ASSERT_NE(unmake, nullptr);
    m_control = std::unique_ptr<PlaybackControl, Deleter>(make(&m_host), Deleter{unmake});
    ASSERT_NE(m_control->widget(), nullptr);
    ASSERT_EQ(m_control->widget()->parentWidget(), &m_host);
    m_control->widget()->setGeometry(0, 2, 320, 238);
    m_control->widget()->show();
    m_control->invoke(PlaybackControl::kSetLanguage, {QStringLiteral("ja_JP")});
    m_control->invoke(PlaybackControl::kSetAuthUrl,
                      {QStringLiteral("https://127.0.0.2/auth/pc/forceauth")});
    m_control->invoke(PlaybackControl::kSetLoginId, {id});
    m_control->invoke(PlaybackControl::kSetLoginPassword, {password});
    m_control->invoke(PlaybackControl::kInitPlayer, {});
    if (!waitForPlayer) {
        return;
    }
    // The player starts beside the window, as the player window waits for it.
    ASSERT_TRUE(waitFor([this] { return state(1) == 1; }, 10000)) << "the player did not start";
}

void ZarFixture::destroy() {
    m_control.reset();
}

void ZarFixture::play(const QString& address, const QString& channel) {
    m_control->invoke(PlaybackControl::kStopPlay, {});
    m_control->invoke(PlaybackControl::kSetPlayAddress, {address});
    m_control->invoke(PlaybackControl::kSetChannelName, {channel});
    m_control->invoke(PlaybackControl::kStartPlay, {});
}

void ZarFixture::stop() {
    m_control->invoke(PlaybackControl::kStopPlay, {});
}

int ZarFixture::state(int selector) {
    return m_control->invoke(PlaybackControl::kQueryState, {static_cast<qint32>(selector)}).toInt();
}

QVariant ZarFixture::pane(const char* property) {
    QObject* view = m_control->widget()->findChild<QObject*>(QStringLiteral("playerView"));
    return view != nullptr ? view->property(property) : QVariant();
}

QImage ZarFixture::picture() {
    return shown(m_control->widget());
}

QImage ZarFixture::shown(QWidget* widget) {
    // On a real display the picture may be a native window of its own, which only the screen
    // shows as the user sees it.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && widget->screen() != nullptr) {
        const QPoint at = widget->mapToGlobal(QPoint(0, 0));
        return widget->screen()
            ->grabWindow(0, at.x(), at.y(), widget->width(), widget->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool ZarFixture::waitFor(const std::function<bool()>& test, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (!test()) {
        if (waited.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
        }
    }
    return static_cast<int>(colours.size());
}

double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1.0;
    }
    int samples = 0;
    int differing = 0;
    for (int y = 0; y < a.height(); y += 4) {
        for (int x = 0; x < a.width(); x += 4) {
            ++samples;
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return samples == 0 ? 0.0 : double(differing) / samples;
}
