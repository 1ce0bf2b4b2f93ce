#pragma once

#include <QDialog>
#include <QPixmap>

struct AppContext;
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
    void setSubmitButton(CSkinButton* button) { m_submit = button; }

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
    bool m_busy = false;
    quint64 m_latestFetch = 0;
    int m_fetchesRunning = 0;
};
