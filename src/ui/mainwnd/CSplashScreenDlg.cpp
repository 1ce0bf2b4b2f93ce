#include "mainwnd/CSplashScreenDlg.h"

#include "widgets/CGifPlayer.h"
#include "widgets/SharpImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

CSplashScreenDlg::CSplashScreenDlg(Clock& clock)
    : QWidget(nullptr,
              Qt::SplashScreen | Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_background = SharpImage::pixmap(QStringLiteral(":/bitmap/222"));
    setFixedSize(301, 171);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 2.5, 2.5);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(8, 14, 20));
    setPalette(colours);

    m_animation = new CGifPlayer(clock, this);
    QPalette dark = m_animation->palette();
    dark.setColor(QPalette::Button, QColor(8, 14, 20));
    dark.setColor(QPalette::Window, QColor(8, 14, 20));
    m_animation->setPalette(dark);
    if (m_animation->LoadFromResource(QStringLiteral(":/gif/225")) == 1) {
        m_animation->move((300 - m_animation->GetSize().width()) / 2, 134);
        m_animation->Draw();
    }
}

CSplashScreenDlg::~CSplashScreenDlg() = default;

void CSplashScreenDlg::CloseSplash() {
    if (m_animation != nullptr) {
        m_animation->Stop();
    }
    close();
}

void CSplashScreenDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!m_background.isNull()) {
        p.drawPixmap(QRectF(0, 0, 300, 170), m_background,
                     SharpImage::partOf(m_background, QRect(0, 0, 300, 170)));
    }
}
