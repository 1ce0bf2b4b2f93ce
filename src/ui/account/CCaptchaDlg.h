#pragma once

#include <QDialog>
#include <QPixmap>

#include <array>
#include <functional>

struct AppContext;
class ConfigFile;
namespace AccountExchange {
struct Reply;
}
class CSkinButton;
class QLabel;
class QLineEdit;

// What the two account forms share: a borderless dialog painted from one bitmap, a red message
// line, and the captcha picture that a press on it renews. Each fetch runs beside the dialog; only
// the latest fetch's picture is shown, and a fetch that ends after the dialog is gone touches
// nothing of it.
class CCaptchaDlg : public QDialog {
    Q_OBJECT

public:
    QLabel* captchaImage() const { return m_captcha; }
    QString message() const;
    // Whether a request is under way (the submit button is disabled meanwhile).
    bool busy() const { return m_busy; }
    // Captcha fetches started by this dialog and not yet come back.
    int captchaFetchesRunning() const { return m_fetchesRunning; }
    CSkinButton* submitButton() const { return m_submit; }
    CSkinButton* closeButton() const { return m_close; }

    // Starts a new captcha fetch and returns at once.
    void FetchCaptcha();

protected:
    // A dialog of SIZE painted from bitmap BACKGROUND; TIMEOUTTEXT is shown when a captcha
    // cannot be fetched.
    CCaptchaDlg(AppContext& context, QWidget* parent, QSize size, int background,
                QString timeoutText);

    AppContext& context() const { return m_context; }
    // Controls are made by the forms; these give them the shared looks.
    QLineEdit* makeEdit(const QRect& geometry);
    QLabel* makeMessage(const QRect& geometry, int pixelSize);
    QLabel* makeCaptchaImage(const QRect& geometry);
    // The submit button at SUBMIT painted from BITMAPS, and the caption's close button at CLOSE:
    // one submits the form, the other closes the dialog.
    void makeButtons(const QRect& submit, const std::array<int, 4>& bitmaps, const QRect& close);
    // Sends the form: EXCHANGE runs beside the dialog, which is busy until its reply comes to
    // onReply. A reply that comes after the dialog is gone touches nothing.
    void send(std::function<AccountExchange::Reply(const ConfigFile&)> exchange);
    virtual void onReply(const AccountExchange::Reply& reply) = 0;

    void showMessage(const QString& text);
    void setBusy(bool busy);
    virtual void submit() = 0;
    // Refused while a request is under way: its answer must reach the user (a registration the
    // service made would otherwise go unseen).
    void reject() override;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    AppContext& m_context;
    QPixmap m_background;
    QString m_timeoutText;
    QLabel* m_message = nullptr;
    QLabel* m_captcha = nullptr;
    CSkinButton* m_submit = nullptr;
    CSkinButton* m_close = nullptr;
    bool m_busy = false;
    quint64 m_latestFetch = 0;
    int m_fetchesRunning = 0;
};
