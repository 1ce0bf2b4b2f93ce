#include "account/CFindCodeDlg.h"

#include "service/AccountExchange.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "widgets/CSkinButton.h"

#include <QLabel>
#include <QLineEdit>

CFindCodeDlg::CFindCodeDlg(AppContext& context, QWidget* parent)
    : CCaptchaDlg(context, parent, QSize(440, 250), 318, AccountExchange::kRecoveryTimeout) {
    makeButtons(QRect(120, 206, 157, 22), {315, 316, 314, 316}, QRect(420, 15, 10, 10));
    makeMessage(QRect(25, 35, 400, 25), 11);
    m_emailEdit = makeEdit(QRect(25, 92, 280, 20));
    m_codeEdit = makeEdit(QRect(25, 145, 200, 20));
    makeCaptchaImage(QRect(235, 145, 70, 20));

    setTabOrder(m_emailEdit, m_codeEdit);
    setTabOrder(m_codeEdit, submitButton());
    setTabOrder(submitButton(), closeButton());

    FetchCaptcha();
}

void CFindCodeDlg::submit() {
    if (busy()) {
        return;
    }
    m_email = m_emailEdit->text();
    m_code = m_codeEdit->text();
    // A refused form keeps what was typed: the user mends it.
    if (const auto refusal = AccountExchange::CheckRecovery(m_email, m_code)) {
        showMessage(*refusal);
        return;
    }
    send([email = m_email, code = m_code](const ConfigFile& config) {
        return AccountExchange::FindPassword(config, email, code);
    });
}

void CFindCodeDlg::onReply(const AccountExchange::Reply& reply) {
    using Kind = AccountExchange::Reply::Kind;
    switch (reply.kind) {
        case Kind::NetworkFailure:
        case Kind::Empty:
            return;
        case Kind::Unreadable:
            showMessage(AccountExchange::kRecoveryTimeout);
            m_codeEdit->clear();
            return;
        case Kind::Status:
            break;
    }
    const QString text = AccountExchange::RecoveryText(reply.status);
    if (!text.isEmpty()) {
        showMessage(text);
    }
    // Only a refusal brings a new picture; after a granted request the old one stays up.
    if (AccountExchange::RecoveryWantsNewCaptcha(reply.status)) {
        FetchCaptcha();
    }
    m_codeEdit->clear();
}
