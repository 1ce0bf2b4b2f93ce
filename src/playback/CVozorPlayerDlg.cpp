#include "playback/CVozorPlayerDlg.h"

#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/Messages.h"
#include "platform/ProgramFolder.h"
#include "playback/CDsopocx.h"
#include "service/KeepAlive.h"
#include "service/SessionRecord.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QtConcurrent>

CVozorPlayerDlg::CVozorPlayerDlg(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_control(std::make_unique<CDsopocx>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_topStrip.load(QStringLiteral(":/bitmap/145"));
    m_static1017 = new QLabel(this);
    m_static1017->setGeometry(0, 0, 585, 452);
    m_static1017->hide();
    resize(585, 500);

    if (!GetDisplayName().isEmpty()) {
        m_context.controlReady = ResetPlayer(true) ? 1 : 0;
    } else {
        ResetPlayer(false);
        m_context.controlReady = 0;
    }
    m_pulseTimer.setInterval(kPulsePeriodMs);
    connect(&m_pulseTimer, &QTimer::timeout, this, &CVozorPlayerDlg::sendPulse);
    m_pulseTimer.start();
}

CVozorPlayerDlg::~CVozorPlayerDlg() {
    if (m_control->hasControl()) {
        m_control->StopPlay();
    }
    m_control.reset();
}

QRect CVozorPlayerDlg::controlRect() const {
    return QRect(0, 2, width(), std::max(0, height() - 2));
}

bool CVozorPlayerDlg::ResetPlayer(bool withSignIn) {
    if (m_control->hasControl()) {
        hide();
        m_control->DestroyControl();
    }
    m_control->Create(this, controlRect());
    m_control->SetLogoPage(ProgramFolder::file(m_context.m_strExeDir, QStringLiteral("logo.html")));
    m_control->SetLanguage(kLanguage);
    if (withSignIn) {
        m_control->SetAuthUrl(KeepAlive::ForceAuthAddress(ConfigFile(m_context.m_strExeDir)));
        m_control->SetLoginId(GetUserId());
        m_control->SetLoginPassword(GetPassword());
    }
    m_control->InitPlayer();
    int state = 0;
    m_control->QueryState(1, state);
    // The control answers at once when it can; a slow one is given five seconds.
    QElapsedTimer waited;
    waited.start();
    while (state != 1 && waited.elapsed() < kReadyWaitMs) {
        QThread::msleep(10);
        m_control->QueryState(1, state);
    }
    show();
    return state == 1;
}

int CVozorPlayerDlg::playingState() {
    int state = 0;
    m_control->QueryState(2, state);
    return state;
}

void CVozorPlayerDlg::play() {
    m_control->StopPlay();
    if (m_context.controlReady == 0) {
        m_context.controlReady = ResetPlayer(true) ? 1 : 0;
    }
    m_control->SetPlayAddress(m_context.currentAddress);
    m_control->SetChannelName(m_context.currentChannelName);
    m_control->StartPlay();
}

void CVozorPlayerDlg::sendPulse() {
    // The pulse is an exchange with the server: it runs beside the window, never in it.
    AppContext* context = &m_context;
    const QString folder = m_context.m_strExeDir;
    (void)QtConcurrent::run([context, folder] {
        KeepAlive::SendPulse(ConfigFile(folder), context->service);
    });
}

bool CVozorPlayerDlg::event(QEvent* event) {
    const int type = static_cast<int>(event->type());
    if (type == Messages::kPlayCurrent || type == Messages::kStopPlayback) {
        const auto* message = static_cast<Messages::WindowMessage*>(event);
        if (type == Messages::kStopPlayback) {
            m_control->StopPlay();
        } else if (message->wParam() == 0 && message->lParam() == 0) {
            play();
        }
        return true;
    }
    return QWidget::event(event);
}

void CVozorPlayerDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!m_topStrip.isNull()) {
        p.drawPixmap(QRect(0, 0, width(), 2), m_topStrip);
    }
}

void CVozorPlayerDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (QWidget* window = m_control->window()) {
        window->setGeometry(controlRect());
        window->update();
    }
    update();
}

void CVozorPlayerDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();  // swallowed
        return;
    }
    QWidget::mousePressEvent(event);
}

void CVozorPlayerDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
