#pragma once

#include <QDialog>
#include <QPixmap>

class ClientSession;
namespace LoginExchange {
struct LoginResult;
}
class CCueEdit;
class CSkinButton;
class QCheckBox;
class QLabel;
class QLineEdit;

// The sign-in dialog: service ID and password, the box that remembers them for 30 days, and the
// ways to register or recover a password. The exchange with the server runs beside the dialog,
// which stays responsive meanwhile.
class CLoginDlg : public QDialog {
    Q_OBJECT

public:
    inline static const QString kEmptyFields =
        QStringLiteral("VELO IDまたはパスワードは必ず入力してください!");
    inline static const QString kCannotRemember =
        QStringLiteral("ID とパスワードが長すぎるため、自動ログインを保存できませんでした。");

    // Signs in through SESSION; NOTIFY is told (0x08B1) after every sign-in made here.
    CLoginDlg(ClientSession& session, QWidget* notify);
    ~CLoginDlg() override;

    // For tests and the owner: the dialog's parts.
    CCueEdit* idEdit() const { return m_id; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* rememberBox() const { return m_remember; }
    CSkinButton* loginButton() const { return m_login; }
    CSkinButton* closeButton() const { return m_close; }
    CSkinButton* registerButton() const { return m_register; }
    CSkinButton* forgotButton() const { return m_forgot; }
    QString message() const;
    bool busy() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void onLogin();
    void onLoginDone(const LoginExchange::LoginResult& result);
    void onRegister();
    void onForgotPassword();
    void showMessage(const QString& text);
    void setBusy(bool busy);
    void rememberLogin(const QString& id, const QString& password);
    // Tells the window about a sign-in made here and remembers it, or forgets the last one.
    void announceSignIn(const QString& id, const QString& password);

    ClientSession& m_session;
    QWidget* m_notify;
    QPixmap m_background;
    CCueEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
    CSkinButton* m_close = nullptr;
    CSkinButton* m_register = nullptr;
    CSkinButton* m_forgot = nullptr;
    QCheckBox* m_remember = nullptr;
    CSkinButton* m_login = nullptr;
    QLabel* m_message = nullptr;
    bool m_busy = false;
    QString m_pendingId;
    QString m_pendingPassword;
};
