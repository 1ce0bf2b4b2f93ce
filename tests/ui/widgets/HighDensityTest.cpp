// Run on a screen of 200 % and of 150 % (QT_SCALE_FACTOR, set by the test's entry): the windows'
// images come from their twins of twice the size, at the size of the plain ones.
#include "mainwnd/SkinFrame.h"
#include "support/ManualClock.h"
#include "widgets/CGifPlayer.h"
#include "widgets/CSkinButton.h"
#include "widgets/SharpImage.h"

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

qreal screenRatio() {
    return qApp->devicePixelRatio();
}

// How far apart two pictures of one size are: the mean difference of their channels.
double distance(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size()) {
        return 1e9;
    }
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

// SOURCE, whose pixels are RATIO to one of the program's, as a painter puts it on the screen.
QImage drawnOnScreen(QImage source, int ratio, const QSize& logical) {
    QImage canvas((QSizeF(logical) * screenRatio()).toSize(), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(screenRatio());
    canvas.fill(Qt::black);
    source.setDevicePixelRatio(ratio);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, source);
    return canvas;
}

// SHOWN (device pixels) must be the twin put on the screen, and not the plain image magnified.
void expectDrawnFromTwin(const QImage& shown, const QString& plainPath, const QSize& logical) {
    const QImage plain(plainPath);
    const QImage twin(SharpImage::twinPath(plainPath, 2));
    ASSERT_FALSE(plain.isNull()) << qPrintable(plainPath);
    ASSERT_EQ(twin.size(), plain.size() * 2) << qPrintable(plainPath);
    ASSERT_EQ(shown.size(), (QSizeF(logical) * screenRatio()).toSize()) << qPrintable(plainPath);
    EXPECT_EQ(distance(shown, drawnOnScreen(twin, 2, logical)), 0.0) << qPrintable(plainPath);
    EXPECT_GT(distance(shown, drawnOnScreen(plain, 1, logical)), 1.0) << qPrintable(plainPath);
}

}  // namespace

TEST(HighDensity, TheScreenIsDenseAndAsksForTheTwins) {
    const double asked = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    ASSERT_GT(asked, 1.0) << "run with QT_SCALE_FACTOR above 1";
    EXPECT_DOUBLE_EQ(screenRatio(), asked);
    EXPECT_EQ(SharpImage::ratio(), 2);
}

TEST(HighDensity, AButtonShowsItsTwinFaceAtThePlainSize) {
    CSkinButton button;
    button.setFixedSize(52, 22);
    button.SetBitmaps(273, 272, 274, 272);
    const QImage shown = button.grab().toImage();
    expectDrawnFromTwin(shown, QStringLiteral(":/bitmap/272"), {52, 22});
}

TEST(HighDensity, AnAnimatedMarkPlaysItsTwinAtThePlainSize) {
    ManualClock clock;
    CGifPlayer player(clock);
    ASSERT_EQ(player.LoadFromResource(QStringLiteral(":/gif/246")), 1);
    EXPECT_EQ(player.ratio(), 2);
    EXPECT_EQ(player.GetSize(), QSize(30, 14));
    EXPECT_EQ(player.size(), QSize(30, 14));
    player.Draw();
    EXPECT_EQ(player.composed().size(), QSize(60, 28));
    const QImage shown = player.grab().toImage();
    EXPECT_EQ(shown.size(), (QSizeF(30, 14) * screenRatio()).toSize());
    EXPECT_EQ(distance(shown, drawnOnScreen(player.composed(), 2, {30, 14})), 0.0);
}

TEST(HighDensity, TheWindowFrameIsPaintedFromTheSkinsTwins) {
    SkinFrame frame(QStringLiteral(VELO_PROGRAM_DIR));
    const QSize window(800, 530);
    QImage canvas((QSizeF(window) * screenRatio()).toSize(), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(screenRatio());
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        frame.paint(painter, window, SkinFrame::State{}, QPixmap());
    }
    // The frame keeps its proportions: its caption and buttons where they are at 100 %.
    EXPECT_EQ(frame.captionHeight(), 26);
    const QRect close = frame.buttonRect(SkinFrame::kClose);
    const QString plain = QStringLiteral(VELO_PROGRAM_DIR "/skin/BTN_CLS1.bmp");
    EXPECT_EQ(close.size(), QImage(plain).size());
    EXPECT_LT(close.right(), window.width());
    const QRectF device(QPointF(close.topLeft()) * screenRatio(),
                        QSizeF(close.size()) * screenRatio());
    expectDrawnFromTwin(canvas.copy(device.toRect()), plain, close.size());
}
