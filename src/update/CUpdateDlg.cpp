#include "update/CUpdateDlg.h"

#include "widgets/CSkinButton.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

CUpdateDlg::CUpdateDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("VELO"));
    m_background.load(QStringLiteral(":/bitmap/324"));
    setFixedSize(300, 170);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 10, 10);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));

    m_update = new CSkinButton(this);
    m_update->setGeometry(85, 135, 97, 22);
    m_update->SetBitmaps(328, 327, 326, 327);
    m_close = new CSkinButton(this);
    m_close->setGeometry(280, 10, 10, 10);
    m_close->SetBitmaps(298, 297, 299, 297);
    connect(m_update, &QAbstractButton::clicked, this, [this] {
        m_accepted = true;
        done(1);
    });
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        m_accepted = false;
        done(1);
    });
    m_update->setFocus();
}

void CUpdateDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_background.isNull()) {
        p.drawPixmap(0, 0, m_background);
    }
}
