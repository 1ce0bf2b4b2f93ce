#include "account/CLoginDlg.h"

#include "account/CFindCodeDlg.h"
#include "account/CRegisterDlg.h"
#include "platform/Clock.h"
#include "service/LoginExchange.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "widgets/CCueEdit.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"
#include "widgets/SharpImage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>

namespace {

void styleEdit(QLineEdit* edit) {
    edit->setFrame(false);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, QColor(9, 15, 21));
    colours.setColor(QPalette::Text, QColor(228, 238, 245));
    colours.setColor(QPalette::Highlight, QColor(5, 153, 201));
    edit->setPalette(colours);
}

QRegion roundedRegion(const QRect& rect, int corner) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), corner / 2.0, corner / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace

CLoginDlg::CLoginDlg(ClientSession& session, QWidget* notify)
    : QDialog(notify, Qt::Dialog | Qt::FramelessWindowHint), m_session(session), m_notify(notify) {
    setWindowTitle(QStringLiteral("VELO"));
    // Modal to the main window only: the tray icon's menu still reaches it meanwhile.
    setWindowModality(Qt::WindowModal);
    m_background = SharpImage::pixmap(QStringLiteral(":/bitmap/279"));
    setFixedSize(410, 200);
    setMask(roundedRegion(rect(), 20));

    m_close = new CSkinButton(this);
    m_close->setGeometry(385, 15, 10, 10);
    m_close->SetBitmaps(281, 280, 282, 280);

    m_message = new QLabel(this);
    m_message->setGeometry(30, 160, 350, 30);
    m_message->setWordWrap(true);
    QPalette red = m_message->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_message->setPalette(red);

    m_id = new CCueEdit(this);
    m_id->setGeometry(92, 65, 180, 18);
    styleEdit(m_id);
    m_id->setNormalTextColour(QColor(228, 238, 245));
    m_id->SetCueText(QStringLiteral(" "));

    m_password = new QLineEdit(this);
    m_password->setGeometry(92, 99, 180, 18);
    m_password->setEchoMode(QLineEdit::Password);
    styleEdit(m_password);

    m_register = new CSkinButton(this);
    m_register->setGeometry(277, 65, 105, 16);
    m_register->SetBitmaps(290, 283, 291, 283);
    m_forgot = new CSkinButton(this);
    m_forgot->setGeometry(277, 99, 110, 16);
    m_forgot->SetBitmaps(288, 284, 289, 284);

    m_remember = new QCheckBox(this);
    m_remember->setGeometry(97, 135, 13, 13);

    m_login = new CSkinButton(this);
    m_login->setGeometry(200, 130, 57, 22);
    m_login->SetBitmaps(273, 272, 274, 272);

    // The labels are part of the painted card; a screen reader hears them as the names.
    m_close->setAccessibleName(QStringLiteral("閉じる"));
    m_id->setAccessibleName(QStringLiteral("VELO ID"));
    m_password->setAccessibleName(QStringLiteral("パスワード"));
    m_remember->setAccessibleName(QStringLiteral("自動ログイン"));
    m_login->setAccessibleName(QStringLiteral("ログイン"));
    m_register->setAccessibleName(QStringLiteral("新規登録はこちら"));
    m_forgot->setAccessibleName(QStringLiteral("パスワードを忘れた"));
    connect(m_close, &QAbstractButton::clicked, this, [this] { done(0); });
    connect(m_login, &QAbstractButton::clicked, this, &CLoginDlg::onLogin);
    connect(m_register, &QAbstractButton::clicked, this, &CLoginDlg::onRegister);
    connect(m_forgot, &QAbstractButton::clicked, this, &CLoginDlg::onForgotPassword);
    // Tab goes through the fields, the box and every button, in the order they are read.
    setTabOrder(m_id, m_password);
    setTabOrder(m_password, m_remember);
    setTabOrder(m_remember, m_login);
    setTabOrder(m_login, m_register);
    setTabOrder(m_register, m_forgot);
    setTabOrder(m_forgot, m_close);

    QString id;
    QString password;
    const AppContext& context = m_session.context();
    if (SavedLogin::LoadSavedLogin(context.config(), id, password, context.clock->now()) == 1) {
        m_id->SetText(id);
        m_password->setText(password);
        m_remember->setChecked(true);
    }
}

// A login still on its way when the dialog goes is dropped: nothing is written for a dialog
// that is gone.
CLoginDlg::~CLoginDlg() = default;

QString CLoginDlg::message() const {
    return m_message->text();
}

bool CLoginDlg::busy() const {
    return m_busy;
}

void CLoginDlg::keyPressEvent(QKeyEvent* event) {
    // The login button is the default: Enter signs in, unless another button has the focus,
    // which then acts as pressed.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<CSkinButton*>(focusWidget())) {
            button->click();
        } else {
            onLogin();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLoginDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_background.isNull()) {
        p.drawPixmap(0, 0, m_background);
    }
}

void CLoginDlg::showMessage(const QString& text) {
    m_message->setText(text);
    update(m_message->geometry());
}

void CLoginDlg::setBusy(bool busy) {
    m_busy = busy;
    for (QWidget* part : {static_cast<QWidget*>(m_id), static_cast<QWidget*>(m_password),
                          static_cast<QWidget*>(m_login), static_cast<QWidget*>(m_register),
                          static_cast<QWidget*>(m_forgot)}) {
        part->setEnabled(!busy);
    }
}

void CLoginDlg::onLogin() {
    if (busy()) {
        return;
    }
    const QString id = m_id->GetText();
    const QString password = m_password->text();
    if (id.isEmpty() || password.isEmpty()) {
        showMessage(kEmptyFields);
        return;
    }
    m_pendingId = id;
    m_pendingPassword = password;
    setBusy(true);
    m_session.signIn(id, password, this,
                     [this](const LoginExchange::LoginResult& result) { onLoginDone(result); });
}

void CLoginDlg::onLoginDone(const LoginExchange::LoginResult& result) {
    setBusy(false);
    if (!result.ok) {
        showMessage(result.message);
        return;
    }
    // The session has recorded the sign-in by now.
    announceSignIn(m_pendingId, m_pendingPassword);
    done(0);
}

void CLoginDlg::announceSignIn(const QString& id, const QString& password) {
    if (m_notify != nullptr) {
        Messages::WindowMessage refresh(Messages::kRefreshSignIn);
        QCoreApplication::sendEvent(m_notify, &refresh);
    }
    rememberLogin(id, password);
}

void CLoginDlg::rememberLogin(const QString& id, const QString& password) {
    const AppContext& context = m_session.context();
    const ConfigFile config = context.config();
    if (!m_remember->isChecked()) {
        config.writeUserInfo(QString());
        return;
    }
    const ConfigFile::WriteResult written =
        config.writeUserInfo(SavedLogin::MakeRecord(id, password, context.clock->now().date()));
    if (written == ConfigFile::WriteResult::TooLong) {
        // A record that cannot be stored whole is not stored at all, and an older one is
        // forgotten rather than left to sign in someone else.
        config.writeUserInfo(QString());
        QMessageBox::information(this, QStringLiteral("VELO"), kCannotRemember);
    }
}

void CLoginDlg::onRegister() {
    if (busy()) {
        return;
    }
    CRegisterDlg registration(m_session.context(), this);
    if (registration.exec() != QDialog::Accepted) {
        return;
    }
    const QString id = registration.registeredId();
    const QString password = registration.registeredPassword();
    // The new account is signed in at once under its ID and the window is told. The login that
    // follows only brings the account's viewing time; the dialog ends once it has, so whoever
    // opened the dialog finds the time there, as after any sign-in.
    m_session.recordSignIn(id, id, password);
    announceSignIn(id, password);
    setBusy(true);
    m_session.confirmRegistration(id, password, this, [this] {
        setBusy(false);
        done(0);
    });
}

void CLoginDlg::onForgotPassword() {
    if (busy()) {
        return;
    }
    CFindCodeDlg(m_session.context(), this).exec();
}
