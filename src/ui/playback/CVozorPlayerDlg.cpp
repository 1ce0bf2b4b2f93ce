#include "playback/CVozorPlayerDlg.h"

#include "platform/AsyncTask.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "playback/CDsopocx.h"
#include "playback/ScreenSaverGuard.h"
#include "service/KeepAlive.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "widgets/Messages.h"
#include "widgets/SharpImage.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

CVozorPlayerDlg::CVozorPlayerDlg(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_control(std::make_unique<CDsopocx>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_topStrip = SharpImage::pixmap(QStringLiteral(":/bitmap/145"));
    setAccessibleName(kPaneName);
    m_static1017 = new QLabel(this);
    m_static1017->setGeometry(0, 0, 585, 452);
    m_static1017->hide();
    resize(585, 500);

    m_readyTimer = m_context.clock->createTimer([this] { pollReadiness(); });
    if (!m_context.session.GetDisplayName().isEmpty()) {
        ResetPlayer(true, [this](bool ready) { m_context.controlReady = ready ? 1 : 0; });
    } else {
        ResetPlayer(false);
        m_context.controlReady = 0;
    }
    m_pulseTimer = m_context.clock->createTimer([this] { sendPulse(); });
    m_pulseTimer->start(kPulsePeriodMs);
    m_screenSaver = std::make_unique<ScreenSaverGuard>();
    m_playingCheck = m_context.clock->createTimer(
        [this] { m_screenSaver->setPlaying(m_control->hasControl() && playingState() != 0); });
    m_playingCheck->start(kPlayingCheckMs);
}

CVozorPlayerDlg::~CVozorPlayerDlg() {
    m_playingCheck->stop();
    m_screenSaver->setPlaying(false);
    if (m_control->hasControl()) {
        m_control->StopPlay();
    }
    m_control.reset();
}

QRect CVozorPlayerDlg::controlRect() const {
    return QRect(0, 2, width(), std::max(0, height() - 2));
}

void CVozorPlayerDlg::ResetPlayer(bool withSignIn, std::function<void(bool)> ready) {
    // A reset still waiting for the control it made is over: that control goes now.
    m_readyTimer->stop();
    m_onReady = std::move(ready);
    if (m_control->hasControl()) {
        hide();
        m_control->DestroyControl();
    }
    m_control->Create(this, controlRect());
    m_control->SetLogoPage(ProgramFolder::file(m_context.m_strExeDir, QStringLiteral("logo.html")));
    m_control->SetLanguage(kLanguage);
    if (withSignIn) {
        m_control->SetAuthUrl(KeepAlive::ForceAuthAddress(m_context.config()));
        m_control->SetLoginId(m_context.session.GetUserId());
        m_control->SetLoginPassword(m_context.session.GetPassword());
    }
    m_control->InitPlayer();
    int state = 0;
    m_control->QueryState(1, state);
    if (state == 1) {
        finishReset(true);
        return;
    }
    // A slow control is given five seconds, asked again every few milliseconds.
    m_readyDeadline = m_context.clock->tickCount() + kReadyWaitMs;
    m_readyTimer->start(kReadyPollMs);
}

bool CVozorPlayerDlg::resetPending() const {
    return m_readyTimer->isActive();
}

void CVozorPlayerDlg::pollReadiness() {
    int state = 0;
    m_control->QueryState(1, state);
    // The tick count wraps; the difference says how far past the deadline it is.
    const bool late =
        static_cast<std::int32_t>(m_context.clock->tickCount() - m_readyDeadline) >= 0;
    if (state == 1 || late) {
        m_readyTimer->stop();
        finishReset(state == 1);
    }
}

void CVozorPlayerDlg::finishReset(bool ready) {
    show();
    if (auto done = std::exchange(m_onReady, {})) {
        done(ready);
    }
}

int CVozorPlayerDlg::playingState() {
    int state = 0;
    m_control->QueryState(2, state);
    return state;
}

void CVozorPlayerDlg::play() {
    m_control->StopPlay();
    if (m_context.controlReady == 0) {
        // The channel starts once the new control is ready, or has had its five seconds.
        ResetPlayer(true, [this](bool ready) {
            m_context.controlReady = ready ? 1 : 0;
            startChannel();
        });
        return;
    }
    startChannel();
}

void CVozorPlayerDlg::startChannel() {
    m_control->SetPlayAddress(m_context.nowPlaying.address());
    m_control->SetChannelName(m_context.nowPlaying.name());
    m_control->StartPlay();
}

void CVozorPlayerDlg::sendPulse() {
    // The pulse is an exchange with the server: it runs beside the window, never in it.
    const std::shared_ptr<ServiceState> service = m_context.service;
    const ConfigFile config = m_context.config();
    const std::uint32_t tick = m_context.clock->tickCount();
    AsyncTask::run(m_context.workers.pool(),
                   [service, config, tick] { KeepAlive::SendPulse(config, *service, tick); });
}

bool CVozorPlayerDlg::event(QEvent* event) {
    const int type = static_cast<int>(event->type());
    if (type == Messages::kPlayCurrent || type == Messages::kStopPlayback) {
        const auto* message = static_cast<Messages::WindowMessage*>(event);
        if (type == Messages::kStopPlayback) {
            m_control->StopPlay();
            m_screenSaver->setPlaying(false);
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
    // Full screen is the picture's: the keys go to the control, wherever in the window they were
    // pressed.
    if (event->key() == Qt::Key_F11 || event->key() == Qt::Key_F) {
        m_control->passKey(event);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
