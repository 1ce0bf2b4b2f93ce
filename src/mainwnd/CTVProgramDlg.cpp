#include "mainwnd/CTVProgramDlg.h"

#include "app/Messages.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

CTVProgramDlg::CTVProgramDlg(QWidget* parent) : QWidget(parent) {
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_headline = new QLabel(kHeadline, this);
    m_line = new QLabel(this);
    m_loading = new QLabel(QStringLiteral("読み込み中..."), this);
    for (QLabel* label : {m_headline, m_line, m_loading}) {
        label->setAlignment(Qt::AlignCenter);
        label->setPalette(white);
    }
    m_loading->hide();
    m_button = new QPushButton(QStringLiteral("今すぐ再取得"), this);
    connect(m_button, &QPushButton::clicked, this, &CTVProgramDlg::requestRetry);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CTVProgramDlg::tick);
    hide();
}

QString CTVProgramDlg::countdownText() const {
    return m_line->text();
}

void CTVProgramDlg::startCountdown() {
    m_done = false;
    m_countdown = kSeconds;
    m_timer.start();
    m_headline->show();
    m_line->show();
    m_loading->hide();
    m_button->setEnabled(true);
    m_line->setText(kCountdown.arg(kSeconds));
    update();
    show();
    raise();
}

void CTVProgramDlg::stop() {
    m_timer.stop();
    hide();
}

void CTVProgramDlg::tick() {
    if (m_done) {
        return;
    }
    --m_countdown;
    if (m_countdown >= 1) {
        m_line->setText(kCountdown.arg(m_countdown));
        update();
    } else {
        requestRetry();
    }
}

void CTVProgramDlg::requestRetry() {
    if (m_done) {
        return;
    }
    m_headline->hide();
    m_line->hide();
    m_loading->show();
    m_button->setEnabled(false);
    if (parentWidget() != nullptr) {
        QCoreApplication::postEvent(parentWidget(),
                                    new Messages::WindowMessage(Messages::kRetryChannelList));
    }
    m_done = true;
}

void CTVProgramDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x11, 0x11, 0x11));
}

void CTVProgramDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_headline->setGeometry(0, h / 10, w, h / 4);
    m_line->setGeometry(0, h / 10 + h / 4, w, h / 5);
    m_loading->setGeometry(0, h / 3, w, h / 4);
    m_button->setGeometry((w - 110) / 2, h - 30, 110, 24);
}
