#include "account/CRegisterDlg.h"

#include "service/AccountExchange.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "widgets/CSkinButton.h"

#include <QLabel>
#include <QLineEdit>

CRegisterDlg::CRegisterDlg(AppContext& context, QWidget* parent)
    : CCaptchaDlg(context, parent, QSize(440, 260), 306, AccountExchange::kRegistrationTimeout) {
    m_emailEdit = makeEdit(QRect(143, 67, 190, 18));
    m_emailEdit->setMaxLength(AccountExchange::kMaxEmailLength);
    m_passwordEdit = makeEdit(QRect(143, 100, 190, 18));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_confirmationEdit = makeEdit(QRect(143, 133, 190, 18));
    m_confirmationEdit->setEchoMode(QLineEdit::Password);
    m_codeEdit = makeEdit(QRect(143, 166, 50, 18));
    makeCaptchaImage(QRect(198, 166, 50, 18));

    makeButtons(QRect(195, 200, 76, 22), {311, 309, 310, 309}, QRect(418, 15, 10, 10));
    makeMessage(QRect(60, 230, 320, 15), 12);

    setTabOrder(m_emailEdit, m_passwordEdit);
    setTabOrder(m_passwordEdit, m_confirmationEdit);
    setTabOrder(m_confirmationEdit, m_codeEdit);
    setTabOrder(m_codeEdit, submitButton());
    setTabOrder(submitButton(), closeButton());

    FetchCaptcha();
}

void CRegisterDlg::submit() {
    if (busy()) {
        return;
    }
    m_email = m_emailEdit->text();
    m_password = m_passwordEdit->text();
    m_confirmation = m_confirmationEdit->text();
    m_code = m_codeEdit->text();
    if (const auto refusal =
            AccountExchange::CheckRegistration(m_email, m_password, m_confirmation, m_code)) {
        showMessage(*refusal);
        startOver();
        return;
    }
    send([email = m_email, password = m_password, code = m_code](const ConfigFile& config) {
        return AccountExchange::Register(config, email, password, code);
    });
}

void CRegisterDlg::onReply(const AccountExchange::Reply& reply) {
    using Kind = AccountExchange::Reply::Kind;
    switch (reply.kind) {
        case Kind::NetworkFailure:
        case Kind::Empty:
            // Nothing was decided: the user may send the same form again.
            return;
        case Kind::Unreadable:
            startOver();
            return;
        case Kind::Status:
            break;
    }
    const QString text = AccountExchange::RegistrationText(reply.status);
    if (!text.isEmpty()) {
        showMessage(text);
    }
    if (reply.status == "1") {
        accept();
        return;
    }
    startOver();
}

void CRegisterDlg::startOver() {
    m_passwordEdit->clear();
    m_confirmationEdit->clear();
    m_codeEdit->clear();
    FetchCaptcha();
}
