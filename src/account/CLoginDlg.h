#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <QPixmap>

struct AppContext;
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

    // NOTIFY is told (0x08B1) after every sign-in made here.
    CLoginDlg(AppContext& context, QWidget* notify);
    ~CLoginDlg() override;

    // For tests and the owner: the dialog's parts.
    CCueEdit* idEdit() const { return m_id; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* rememberBox() const { return m_remember; }
    CSkinButton* loginButton() const { return m_login; }
    CSkinButton* closeButton() const { return m_close; }
    QString message() const;
    bool busy() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct LoginOutcome {
        bool ok = false;
        QString displayName;
        QString message;
    };

    void onLogin();
    void onLoginDone();
    void onRegister();
    void onForgotPassword();
    void showMessage(const QString& text);
    void setBusy(bool busy);
    void rememberLogin(const QString& id, const QString& password);
    void finishSignIn(const QString& id, const QString& name, const QString& password);

    AppContext& m_context;
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
    QFutureWatcher<LoginOutcome> m_watcher;
    QString m_pendingId;
    QString m_pendingPassword;
};
