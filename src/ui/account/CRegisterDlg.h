#pragma once

#include "account/CCaptchaDlg.h"

#include <QString>

namespace AccountExchange {
struct Reply;
}

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
    CSkinButton* submitButton() const { return m_submitButton; }
    CSkinButton* closeButton() const { return m_closeButton; }

protected:
    void submit() override;

private:
    void onReply(const AccountExchange::Reply& reply);
    // After a refused form: everything but the address is typed again, against a new captcha.
    void startOver();

    QLineEdit* m_emailEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QLineEdit* m_confirmationEdit = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    CSkinButton* m_submitButton = nullptr;
    CSkinButton* m_closeButton = nullptr;
    QString m_email;
    QString m_password;
    QString m_confirmation;
    QString m_code;
};
