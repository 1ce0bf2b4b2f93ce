#include "account/CFindCodeDlg.h"

#include "platform/AsyncTask.h"
#include "service/AccountExchange.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "widgets/CSkinButton.h"

#include <QLabel>
#include <QLineEdit>

CFindCodeDlg::CFindCodeDlg(AppContext& context, QWidget* parent)
    : CCaptchaDlg(context, parent, QSize(440, 250), 318, AccountExchange::kRecoveryTimeout) {
    m_closeButton = new CSkinButton(this);
    m_closeButton->setGeometry(420, 15, 10, 10);
    m_closeButton->SetBitmaps(281, 280, 282, 280);
    makeMessage(QRect(25, 35, 400, 25), 11);
    m_emailEdit = makeEdit(QRect(25, 92, 280, 20));
    m_submitButton = new CSkinButton(this);
    m_submitButton->setGeometry(120, 206, 157, 22);
    m_submitButton->SetBitmaps(315, 316, 314, 316);
    setSubmitButton(m_submitButton);
    m_codeEdit = makeEdit(QRect(25, 145, 200, 20));
    makeCaptchaImage(QRect(235, 145, 70, 20));

    connect(m_submitButton, &QAbstractButton::clicked, this, &CFindCodeDlg::submit);
    connect(m_closeButton, &QAbstractButton::clicked, this, &QDialog::reject);
    setTabOrder(m_emailEdit, m_codeEdit);
    setTabOrder(m_codeEdit, m_submitButton);
    setTabOrder(m_submitButton, m_closeButton);

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
    setBusy(true);
    const QString folder = context().m_strExeDir;
    AsyncTask::runThenCallback(
        context().workers.pool(), this,
        [folder, email = m_email, code = m_code] {
            return AccountExchange::FindPassword(ConfigFile(folder), email, code);
        },
        [this](const AccountExchange::Reply& reply) { onReply(reply); });
}

void CFindCodeDlg::onReply(const AccountExchange::Reply& reply) {
    setBusy(false);
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
