#include "account/CCaptchaDlg.h"

#include "platform/AsyncTask.h"
#include "service/AccountExchange.h"
#include "service/CaptchaDownload.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "widgets/CSkinButton.h"
#include "widgets/SharpImage.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

CCaptchaDlg::CCaptchaDlg(AppContext& context, QWidget* parent, QSize size, int background,
                         QString timeoutText)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_context(context),
      m_timeoutText(std::move(timeoutText)) {
    setWindowTitle(QStringLiteral("VELO"));
    // Modal to the dialogs below it only: the tray icon's menu still reaches the main window.
    setWindowModality(Qt::WindowModal);
    m_background = SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(background));
    setFixedSize(size);
    // Centred on the screen, whatever window opened it.
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->geometry().center() - rect().center());
    }
}

QString CCaptchaDlg::message() const {
    return m_message != nullptr ? m_message->text() : QString();
}

QLineEdit* CCaptchaDlg::makeEdit(const QRect& geometry) {
    auto* edit = new QLineEdit(this);
    edit->setGeometry(geometry);
    edit->setFrame(false);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, QColor(9, 15, 21));
    colours.setColor(QPalette::Text, QColor(228, 238, 245));
    colours.setColor(QPalette::Highlight, QColor(5, 153, 201));
    edit->setPalette(colours);
    return edit;
}

QLabel* CCaptchaDlg::makeMessage(const QRect& geometry, int pixelSize) {
    m_message = new QLabel(this);
    m_message->setGeometry(geometry);
    QFont font = m_message->font();
    font.setPixelSize(pixelSize);
    m_message->setFont(font);
    QPalette red = m_message->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_message->setPalette(red);
    return m_message;
}

QLabel* CCaptchaDlg::makeCaptchaImage(const QRect& geometry) {
    m_captcha = new QLabel(this);
    m_captcha->setGeometry(geometry);
    m_captcha->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Presses go to the dialog, which decides by where they land.
    m_captcha->setAttribute(Qt::WA_TransparentForMouseEvents);
    return m_captcha;
}

void CCaptchaDlg::showMessage(const QString& text) {
    m_message->setText(text);
    update(m_message->geometry());
}

void CCaptchaDlg::setBusy(bool busy) {
    m_busy = busy;
    if (m_submit != nullptr) {
        m_submit->setEnabled(!busy);
    }
}

void CCaptchaDlg::FetchCaptcha() {
    const std::shared_ptr<CaptchaDownload::Tickets> tickets = m_context.captchaTickets;
    const quint64 ticket = tickets->next();
    m_latestFetch = ticket;
    ++m_fetchesRunning;
    const QString folder = m_context.dataDir();
    const ConfigFile config = m_context.config();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [folder, config, tickets, ticket] {
            const QString server = config.serverUrl(ConfigFile::kServerUrlForCaptcha);
            return CaptchaDownload::Download(server, CaptchaDownload::imagePath(folder), *tickets,
                                             ticket);
        },
        [this, ticket](const CaptchaDownload::Result& result) {
            --m_fetchesRunning;
            // A slower, older fetch never replaces what a later one shows or says.
            if (ticket != m_latestFetch) {
                return;
            }
            if (!result.ok) {
                showMessage(m_timeoutText);
                return;
            }
            QImage image;
            // Something that is not a picture leaves the one shown before.
            if (image.loadFromData(result.image, "BMP")) {
                m_captcha->setPixmap(QPixmap::fromImage(image));
            }
        });
    update(m_captcha->geometry());
}

void CCaptchaDlg::reject() {
    if (m_busy) {
        return;
    }
    QDialog::reject();
}

void CCaptchaDlg::keyPressEvent(QKeyEvent* event) {
    // Enter sends the form, unless a button has the focus, which then acts as pressed.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<CSkinButton*>(focusWidget())) {
            button->click();
        } else if (!m_busy) {
            submit();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCaptchaDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_captcha != nullptr &&
        m_captcha->geometry().contains(event->position().toPoint())) {
        FetchCaptcha();
    }
    QDialog::mousePressEvent(event);
}

void CCaptchaDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_background.isNull()) {
        p.drawPixmap(0, 0, m_background);
    }
}

void CCaptchaDlg::makeButtons(const QRect& submit, const std::array<int, 4>& bitmaps,
                              const QRect& close) {
    m_submit = new CSkinButton(this);
    m_submit->setGeometry(submit);
    m_submit->SetBitmaps(bitmaps[0], bitmaps[1], bitmaps[2], bitmaps[3]);
    m_close = new CSkinButton(this);
    m_close->setGeometry(close);
    m_close->SetBitmaps(281, 280, 282, 280);
    connect(m_submit, &QAbstractButton::clicked, this, &CCaptchaDlg::submit);
    connect(m_close, &QAbstractButton::clicked, this, &QDialog::reject);
}

void CCaptchaDlg::send(std::function<AccountExchange::Reply(const ConfigFile&)> exchange) {
    setBusy(true);
    const ConfigFile config = m_context.config();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, exchange = std::move(exchange)] { return exchange(config); },
        [this](const AccountExchange::Reply& reply) {
            setBusy(false);
            onReply(reply);
        });
}
