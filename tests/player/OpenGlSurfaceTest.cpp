#include "ZarFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <gtest/gtest.h>

namespace {

bool glContextAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return false;
    }
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    return context.create() && context.makeCurrent(&surface);
}

}  // namespace

// Run under Xvfb (Mesa's software renderer) by the PlaybackOpenGl test; skipped elsewhere.
TEST(OpenGlSurfaceTest, PlaysThroughTheOpenGlRenderer) {
    if (!glContextAvailable()) {
        GTEST_SKIP() << "no OpenGL context can be made on the "
                     << qPrintable(QGuiApplication::platformName())
                     << " platform; the OpenGL video surface is not tested here";
    }
    ZarFixture zar;
    ASSERT_TRUE(zar.service().running());
    zar.create();
    EXPECT_EQ(zar.pane("videoOutput").toString(), QStringLiteral("opengl"));
    zar.play(zar.service().streamUrl(201), QStringLiteral("スポーツライブ1"));
    ASSERT_TRUE(ZarFixture::waitFor([&] { return zar.state(2) != 0; }));
    qint64 from = zar.frames();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return zar.frames() >= from + 5; }));
    const QImage first = zar.picture();
    from = zar.frames();
    ASSERT_TRUE(ZarFixture::waitFor([&] { return zar.frames() >= from + 12; }));
    const QImage later = zar.picture();
    EXPECT_GT(colourCount(first), 20);
    EXPECT_GT(differingShare(first, later), 0.01);

    // Full screen moves the picture to a window of its own: the picture must come back there
    // and again in the pane.
    QWidget* picture = zar.control()->widget()->findChild<QWidget*>(QStringLiteral("videoSurface"));
    ASSERT_NE(picture, nullptr);
    for (int round = 0; round < 2; ++round) {
        QKeyEvent f11(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
        QApplication::sendEvent(picture, &f11);
        EXPECT_EQ(picture->isWindow(), round == 0);
        from = zar.frames();
        EXPECT_TRUE(ZarFixture::waitFor([&] { return zar.frames() >= from + 12; }));
        EXPECT_NE(zar.state(2), 0);
        EXPECT_GT(colourCount(ZarFixture::shown(picture)), 20);
    }

    // The notes are laid over the frames by the renderer's thread: with the picture held, the
    // key list comes over it and goes again.
    const auto press = [&](int code) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(picture, &event);
    };
    press(Qt::Key_Space);
    ZarFixture::waitFor([] { return false; }, 800);
    const QImage held = zar.picture();
    press(Qt::Key_F1);
    EXPECT_TRUE(ZarFixture::waitFor([&] { return differingShare(held, zar.picture()) > 0.05; }));
    press(Qt::Key_Escape);
    EXPECT_TRUE(ZarFixture::waitFor([&] { return differingShare(held, zar.picture()) < 0.01; }));

    zar.stop();
    EXPECT_EQ(zar.state(2), 0);
    // At rest nothing of the pane is drawn through OpenGL.
    EXPECT_TRUE(ZarFixture::waitFor([&] {
        return zar.control()->widget()->findChild<QWidget*>(QStringLiteral("videoWindow")) ==
               nullptr;
    }));
}

// Run under Xvfb with Qt's GL integration turned off by the PlaybackWithoutOpenGl test: the
// OpenGL surface finds no context when the channel starts and draws in software instead.
TEST(OpenGlSurfaceTest, WithoutAContextThePictureIsDrawnInSoftware) {
    if (!qEnvironmentVariableIsSet("VELO_EXPECT_NO_GL")) {
        GTEST_SKIP() << "needs a display on which no OpenGL context can be made";
    }
    ZarFixture zar;
    ASSERT_TRUE(zar.service().running());
    zar.create();
    EXPECT_EQ(zar.pane("videoOutput").toString(), QStringLiteral("opengl")) << "not probed early";
    zar.play(zar.service().streamUrl(201), QStringLiteral("スポーツライブ1"));
    ASSERT_TRUE(ZarFixture::waitFor([&] { return zar.frames() >= 5; }));
    EXPECT_EQ(zar.pane("videoOutput").toString(), QStringLiteral("software"));
    EXPECT_GT(colourCount(zar.picture()), 20);
    zar.stop();
}
