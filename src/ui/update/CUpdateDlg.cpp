#include "update/CUpdateDlg.h"

#include "widgets/CSkinButton.h"
#include "widgets/SharpImage.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

CUpdateDlg::CUpdateDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("VELO"));
    // Modal to the main window only: the tray icon's menu still reaches it meanwhile.
    setWindowModality(Qt::WindowModal);
    m_background = SharpImage::pixmap(QStringLiteral(":/bitmap/324"));
    setFixedSize(300, 170);
    // Over the window it belongs to, where the user is looking; without one, on the screen.
    const QWidget* owner = parent != nullptr ? parent->window() : nullptr;
    if (owner != nullptr && owner->isVisible()) {
        move(owner->frameGeometry().center() - rect().center());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
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

void CUpdateDlg::keyPressEvent(QKeyEvent* event) {
    // Enter presses the button that has the focus, and otherwise the update button, the
    // default one; Escape refuses through the ordinary cancel.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<CSkinButton*>(focusWidget());
        (focused != nullptr ? focused : m_update)->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CUpdateDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_background.isNull()) {
        p.drawPixmap(0, 0, m_background);
    }
}
