#pragma once

#include "account/CCaptchaDlg.h"

#include <QString>

// Asks the service to mail a forgotten password to the account's address, proven by the code of
// the captcha. Stays open whatever the answer, so the user can read it and try again.
class CFindCodeDlg : public CCaptchaDlg {
    Q_OBJECT

public:
    CFindCodeDlg(AppContext& context, QWidget* parent);

    QLineEdit* emailEdit() const { return m_emailEdit; }
    QLineEdit* codeEdit() const { return m_codeEdit; }

protected:
    void submit() override;
    void onReply(const AccountExchange::Reply& reply) override;

private:
    QLineEdit* m_emailEdit = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    QString m_email;
    QString m_code;
};
