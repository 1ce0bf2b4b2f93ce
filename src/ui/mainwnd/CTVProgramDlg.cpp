#include "mainwnd/CTVProgramDlg.h"

#include "platform/Clock.h"
#include "widgets/CGifPlayer.h"
#include "widgets/Messages.h"
#include "widgets/SharpImage.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kBackground(0x11, 0x11, 0x11);

}  // namespace

CTVProgramDlg::CTVProgramDlg(Clock& clock, QWidget* parent, QObject* notify)
    : QWidget(parent),
      m_notify(notify != nullptr ? notify : parent),
      m_timer(clock.createTimer([this] { tick(); })) {
    setMouseTracking(true);
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_headline = new QLabel(kHeadline, this);
    m_line = new QLabel(this);
    for (QLabel* label : {m_headline, m_line}) {
        label->setAlignment(Qt::AlignCenter);
        label->setPalette(white);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    QFont bold = m_headline->font();
    bold.setBold(true);
    bold.setPixelSize(11);
    m_headline->setFont(bold);
    QFont small = m_line->font();
    small.setPixelSize(11);
    m_line->setFont(small);

    m_loading = new CGifPlayer(clock, this);
    QPalette dark = m_loading->palette();
    dark.setColor(QPalette::Button, kBackground);
    dark.setColor(QPalette::Window, kBackground);
    m_loading->setPalette(dark);
    m_loading->Unload();
    if (m_loading->LoadFromResource(QStringLiteral(":/gif/255")) == 1) {
        m_loading->Draw();
    }
    m_loading->hide();
    setFace(kNormal);

    hide();
}

CTVProgramDlg::~CTVProgramDlg() = default;

QString CTVProgramDlg::countdownText() const {
    return m_line->text();
}

void CTVProgramDlg::setFace(int id) {
    m_faceId = id;
    m_face = SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(id));
    update(buttonRect());
}

void CTVProgramDlg::fitText(QLabel* label) {
    constexpr int kUsualPixels = 11;
    constexpr int kSmallestPixels = 7;
    QFont font = label->font();
    int pixels = kUsualPixels;
    const auto fits = [&] {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(label->text()) <= label->width() - 4 &&
               metrics.height() <= label->height();
    };
    while (pixels > kSmallestPixels && !fits()) {
        --pixels;
    }
    font.setPixelSize(pixels);
    label->setFont(font);
}

QRect CTVProgramDlg::buttonRect() const {
    const QRect area = rect();
    const int w = m_face.width();
    const int h = m_face.height();
    const int left = area.left() + (area.width() - w + 1) / 2;
    return QRect(left, area.bottom() + 1 - h - 3, w, h);
}

void CTVProgramDlg::startCountdown() {
    m_pressed = false;
    m_done = false;
    m_countdown = kSeconds;
    m_timer->start(1000);
    setFace(kNormal);
    m_headline->show();
    m_line->show();
    m_loading->hide();
    m_line->setText(kCountdown.arg(kSeconds));
    fitText(m_line);
    update();
    show();
    raise();
}

void CTVProgramDlg::stop() {
    m_timer->stop();
    hide();
}

void CTVProgramDlg::tick() {
    if (m_done) {
        return;
    }
    --m_countdown;
    if (m_countdown >= 1) {
        m_line->setText(kCountdown.arg(m_countdown));
        fitText(m_line);
        update();
    } else {
        requestRetry();
    }
}

void CTVProgramDlg::requestRetry() {
    if (m_done) {
        return;
    }
    // Later ticks find the request made and change nothing.
    setFace(kUsed);
    m_headline->hide();
    m_line->hide();
    m_loading->show();
    if (m_notify != nullptr) {
        QCoreApplication::postEvent(m_notify,
                                    new Messages::WindowMessage(Messages::kRetryChannelList));
    }
    m_done = true;
}

void CTVProgramDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    if (!m_face.isNull()) {
        p.drawPixmap(buttonRect().topLeft(), m_face);
    }
}

void CTVProgramDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int buttonTop = buttonRect().top();
    // The two lines share what is above the button; a short notice sets them smaller rather
    // than under the button.
    const int lineHeight = std::max(0, buttonTop - 4) / 2;
    m_headline->setGeometry(0, 2, w, lineHeight);
    m_line->setGeometry(0, 2 + lineHeight, w, lineHeight);
    fitText(m_headline);
    fitText(m_line);
    const QSize gif = m_loading->GetSize();
    m_loading->move((w - gif.width()) / 2, std::max(0, (buttonTop - gif.height()) / 2));
}

void CTVProgramDlg::mouseMoveEvent(QMouseEvent* event) {
    if (!m_done && !m_pressed) {
        setFace(buttonRect().contains(event->position().toPoint()) ? kHover : kNormal);
    }
    QWidget::mouseMoveEvent(event);
}

void CTVProgramDlg::mousePressEvent(QMouseEvent* event) {
    if (!m_done && event->button() == Qt::LeftButton &&
        buttonRect().contains(event->position().toPoint())) {
        setFace(kPressed);
        m_pressed = true;
    }
    QWidget::mousePressEvent(event);
}

void CTVProgramDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_done && m_pressed && event->button() == Qt::LeftButton) {
        m_pressed = false;
        if (buttonRect().contains(event->position().toPoint())) {
            requestRetry();
        } else {
            setFace(kNormal);
        }
    }
    QWidget::mouseReleaseEvent(event);
}
