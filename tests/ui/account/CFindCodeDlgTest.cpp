#include "account/CFindCodeDlg.h"

#include "account/CLoginDlg.h"
#include "service/AccountExchange.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "support/ManualClock.h"
#include "support/MessageCounter.h"
#include "support/QtWait.h"
#include "support/RefService.h"
#include "support/UiFixture.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kFindPassword = QStringLiteral("/user!findpwd.action");
const QString kCaptcha = QStringLiteral("/authcode.jsp");

class CFindCodeDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
    }
    static void waitForCaptcha(const CCaptchaDlg& dialog) {
        ASSERT_SOON(dialog.captchaFetchesRunning() == 0, 15000);
    }
    static void submit(CFindCodeDlg& dialog, const QString& email, const QString& code) {
        dialog.emailEdit()->setText(email);
        dialog.codeEdit()->setText(code);
        dialog.submitButton()->click();
        ASSERT_SOON(!dialog.busy(), 15000);
        waitForCaptcha(dialog);
    }
    int captchas() const { return m_service.requests(kCaptcha); }

    ManualClock m_clock;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
};

}  // namespace

TEST_F(CFindCodeDlgTest, LaidOutAsItsTemplate) {
    CFindCodeDlg dialog(m_context, nullptr);
    EXPECT_EQ(dialog.size(), QSize(440, 250));
    EXPECT_EQ(dialog.closeButton()->geometry(), QRect(420, 15, 10, 10));
    EXPECT_EQ(dialog.emailEdit()->geometry(), QRect(25, 92, 280, 20));
    EXPECT_EQ(dialog.submitButton()->geometry(), QRect(120, 206, 157, 22));
    EXPECT_EQ(dialog.codeEdit()->geometry(), QRect(25, 145, 200, 20));
    EXPECT_EQ(dialog.captchaImage()->geometry(), QRect(235, 145, 70, 20));
    waitForCaptcha(dialog);
    EXPECT_FALSE(dialog.captchaImage()->pixmap().isNull());
}

TEST_F(CFindCodeDlgTest, RefusedFormsKeepWhatWasTyped) {
    CFindCodeDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    submit(dialog, QStringLiteral("user@example"), QStringLiteral("1234"));
    EXPECT_EQ(dialog.message(), QStringLiteral("正しいメールを入力してください "));
    EXPECT_EQ(dialog.codeEdit()->text(), QStringLiteral("1234"));
    submit(dialog, QString(), QStringLiteral("1234"));
    EXPECT_EQ(dialog.message(), AccountExchange::kEnterEmail);
    submit(dialog, QStringLiteral("user@example.jp"), QString());
    EXPECT_EQ(dialog.message(), AccountExchange::kEnterCode);
    EXPECT_EQ(dialog.emailEdit()->text(), QStringLiteral("user@example.jp"));
    EXPECT_EQ(m_service.requests(kFindPassword), 0);
    EXPECT_EQ(captchas(), 1);
}

TEST_F(CFindCodeDlgTest, GrantedRequestKeepsThePictureButEmptiesTheCode) {
    CFindCodeDlg dialog(m_context, nullptr);
    dialog.show();
    waitForCaptcha(dialog);
    const QImage shown = dialog.captchaImage()->pixmap().toImage();
    submit(dialog, QStringLiteral("demo@velo.example"), m_service.captchaCode());
    EXPECT_EQ(dialog.message(), AccountExchange::kPasswordSent);
    EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());
    EXPECT_EQ(dialog.emailEdit()->text(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(captchas(), 1);
    EXPECT_EQ(dialog.captchaImage()->pixmap().toImage(), shown);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open after success";
    EXPECT_EQ(m_service.state().value("mails").toArray().size(), 1);
}

TEST_F(CFindCodeDlgTest, RefusalsBringANewPictureAndOtherAnswersDoNot) {
    CFindCodeDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    // The address check of this form lets full-width characters through to the service.
    submit(dialog, QStringLiteral("ｎobody@velo.example"), m_service.captchaCode());
    EXPECT_EQ(dialog.message(), AccountExchange::kNoSuchId);
    EXPECT_EQ(captchas(), 2);
    EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());
    submit(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("nope"));
    EXPECT_EQ(dialog.message(), AccountExchange::kWrongCode);
    EXPECT_EQ(captchas(), 3);

    m_service.script(kFindPassword, QStringLiteral("reply"), "<Result><Status>0</Status></Result>");
    submit(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("1"));
    EXPECT_EQ(dialog.message(), AccountExchange::kNetworkError);
    EXPECT_EQ(captchas(), 4);

    // An answer the form does not know leaves the message and the picture, but not the code.
    m_service.script(kFindPassword, QStringLiteral("reply"), "<Result><Status>9</Status></Result>");
    submit(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("1"));
    EXPECT_EQ(dialog.message(), AccountExchange::kNetworkError);
    EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());
    EXPECT_EQ(captchas(), 4);
}

TEST_F(CFindCodeDlgTest, BrokenRepliesAndFailedPicturesSayTimeOutWithoutABlank) {
    m_service.script(kCaptcha, QStringLiteral("drop"));
    CFindCodeDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    EXPECT_EQ(dialog.message(), QStringLiteral("タイムアウト"));
    EXPECT_TRUE(dialog.captchaImage()->pixmap().isNull());

    m_service.script(kFindPassword, QStringLiteral("truncate"));
    submit(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("1"));
    EXPECT_EQ(dialog.message(), AccountExchange::kRecoveryTimeout);
    EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());

    // No answer at all ends the request without a word and keeps the code.
    submit(dialog, QStringLiteral("demo@velo.example"), QString());
    ASSERT_EQ(dialog.message(), AccountExchange::kEnterCode);
    m_service.script(kFindPassword, QStringLiteral("drop"));
    submit(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("77"));
    EXPECT_EQ(m_service.requests(kFindPassword), 2);
    EXPECT_EQ(dialog.message(), AccountExchange::kEnterCode) << "unchanged";
    EXPECT_EQ(dialog.codeEdit()->text(), QStringLiteral("77"));
}

TEST_F(CFindCodeDlgTest, OpensFromTheSignInDialogWhichStaysOpen) {
    ClientSession session(m_context);
    MessageCounter owner(Messages::kRefreshSignIn);
    CLoginDlg login(session, &owner);
    login.show();
    bool opened = false;
    UiFixture::whenModalOpens([&opened](QWidget* modal) {
        auto* dialog = qobject_cast<CFindCodeDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        opened = true;
        dialog->closeButton()->click();
    });
    QTest::mouseClick(login.forgotButton(), Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
}
