#pragma once

#include "account/CCaptchaDlg.h"

#include <QString>

// Opens an account: an e-mail address as the service ID, a password typed twice and the code of
// the captcha. Accepted only once the service has opened the account; the ID and password are
// then there for the sign-in.
class CRegisterDlg : public CCaptchaDlg {
    Q_OBJECT

public:
    CRegisterDlg(AppContext& context, QWidget* parent);

    // The registered account, once the dialog has been accepted.
    QString registeredId() const { return m_email; }
    QString registeredPassword() const { return m_password; }

    QLineEdit* emailEdit() const { return m_emailEdit; }
    QLineEdit* passwordEdit() const { return m_passwordEdit; }
    QLineEdit* confirmationEdit() const { return m_confirmationEdit; }
    QLineEdit* codeEdit() const { return m_codeEdit; }

protected:
    void submit() override;
    void onReply(const AccountExchange::Reply& reply) override;

private:
    // After a refused form: everything but the address is typed again, against a new captcha.
    void startOver();

    QLineEdit* m_emailEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QLineEdit* m_confirmationEdit = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    QString m_email;
    QString m_password;
    QString m_confirmation;
    QString m_code;
};
