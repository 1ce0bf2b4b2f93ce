#include "account/CRegisterDlg.h"

#include "account/CLoginDlg.h"
#include "service/AccountExchange.h"
#include "service/CaptchaDownload.h"
#include "service/LoginExchange.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "support/ManualClock.h"
#include "support/MessageCounter.h"
#include "support/QtWait.h"
#include "support/RefService.h"
#include "support/UiFixture.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kRegister = QStringLiteral("/user!register.action");
const QString kCaptcha = QStringLiteral("/authcode.jsp");

class CRegisterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
    }
    static void waitForCaptcha(const CCaptchaDlg& dialog) {
        ASSERT_SOON(dialog.captchaFetchesRunning() == 0, 15000);
    }
    static void fill(CRegisterDlg& dialog, const QString& email, const QString& password,
                     const QString& confirmation, const QString& code) {
        dialog.emailEdit()->setText(email);
        dialog.passwordEdit()->setText(password);
        dialog.confirmationEdit()->setText(confirmation);
        dialog.codeEdit()->setText(code);
    }
    static void submit(CRegisterDlg& dialog) {
        dialog.submitButton()->click();
        ASSERT_SOON(!dialog.busy(), 15000);
        waitForCaptcha(dialog);
    }
    int captchas() const { return m_service.requests(kCaptcha); }
    // Opens the registration from LOGIN and opens EMAIL's account through the captcha.
    void registerFrom(CLoginDlg& login, const QString& email, const QString& password) {
        bool filled = false;
        UiFixture::whenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<CRegisterDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            ASSERT_SOON(dialog->captchaFetchesRunning() == 0, 15000);
            fill(*dialog, email, password, password, m_service.captchaCode());
            dialog->submitButton()->click();
            filled = true;
        });
        QTest::mouseClick(login.registerButton(), Qt::LeftButton);
        EXPECT_TRUE(filled);
    }

    ManualClock m_clock;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
};

}  // namespace

TEST_F(CRegisterDlgTest, LaidOutAsItsTemplateWithACaptchaShown) {
    CRegisterDlg dialog(m_context, nullptr);
    EXPECT_EQ(dialog.size(), QSize(440, 260));
    EXPECT_EQ(dialog.emailEdit()->geometry(), QRect(143, 67, 190, 18));
    EXPECT_EQ(dialog.emailEdit()->maxLength(), 40);
    EXPECT_EQ(dialog.passwordEdit()->geometry(), QRect(143, 100, 190, 18));
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.confirmationEdit()->geometry(), QRect(143, 133, 190, 18));
    EXPECT_EQ(dialog.confirmationEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.codeEdit()->geometry(), QRect(143, 166, 50, 18));
    EXPECT_EQ(dialog.captchaImage()->geometry(), QRect(198, 166, 50, 18));
    EXPECT_EQ(dialog.submitButton()->geometry(), QRect(195, 200, 76, 22));
    EXPECT_EQ(dialog.closeButton()->geometry(), QRect(418, 15, 10, 10));
    waitForCaptcha(dialog);
    EXPECT_FALSE(dialog.captchaImage()->pixmap().isNull());
    EXPECT_EQ(captchas(), 1);
    EXPECT_TRUE(QFile::exists(CaptchaDownload::imagePath(m_service.programFolder())));
    EXPECT_TRUE(dialog.message().isEmpty());
}

TEST_F(CRegisterDlgTest, RefusedFormsKeepOnlyTheAddressAndBringANewCaptcha) {
    CRegisterDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    const QString ok = QStringLiteral("secret1");
    const struct {
        QString email;
        QString password;
        QString confirmation;
        QString code;
        QString said;
    } cases[] = {
        {QStringLiteral("user@example."), ok, ok, QStringLiteral("1"),
         AccountExchange::kEnterValidEmail},
        {QStringLiteral("ｕser@example.jp"), ok, ok, QStringLiteral("1"),
         AccountExchange::kEnterEmail},
        {QStringLiteral("a@b.jp"), QStringLiteral("abcde"), QStringLiteral("abcde"),
         QStringLiteral("1"), AccountExchange::kEnterValidPassword},
        {QStringLiteral("a@b.jp"), QString(21, QLatin1Char('x')), QString(21, QLatin1Char('x')),
         QStringLiteral("1"), AccountExchange::kEnterValidPassword},
        {QStringLiteral("a@b.jp"), ok, QStringLiteral("secret2"), QStringLiteral("1"),
         AccountExchange::kPasswordsDiffer},
        {QStringLiteral("a@b.jp"), ok, ok, QString(), AccountExchange::kEnterCode},
    };
    int fetched = captchas();
    for (const auto& c : cases) {
        fill(dialog, c.email, c.password, c.confirmation, c.code);
        submit(dialog);
        EXPECT_EQ(dialog.message(), c.said) << c.said.toStdString();
        EXPECT_EQ(dialog.emailEdit()->text(), c.email);
        EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
        EXPECT_TRUE(dialog.confirmationEdit()->text().isEmpty());
        EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());
        EXPECT_EQ(captchas(), ++fetched) << c.said.toStdString();
    }
    EXPECT_EQ(m_service.requests(kRegister), 0);
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(CRegisterDlgTest, TakenIdAndWrongCodeAreSaidAndStartOver) {
    CRegisterDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    fill(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"),
         QStringLiteral("demo1234"), m_service.captchaCode());
    submit(dialog);
    EXPECT_EQ(dialog.message(), AccountExchange::kIdTaken);
    EXPECT_EQ(dialog.emailEdit()->text(), QStringLiteral("demo@velo.example"));
    EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
    EXPECT_EQ(captchas(), 2);

    fill(dialog, QStringLiteral("fresh@velo.example"), QStringLiteral("demo1234"),
         QStringLiteral("demo1234"), QStringLiteral("0000x"));
    submit(dialog);
    EXPECT_EQ(dialog.message(), AccountExchange::kWrongCode);
    EXPECT_EQ(captchas(), 3);

    // A reply that breaks off starts over too, without a word.
    m_service.script(kRegister, QStringLiteral("truncate"));
    fill(dialog, QStringLiteral("fresh@velo.example"), QStringLiteral("demo1234"),
         QStringLiteral("demo1234"), m_service.captchaCode());
    submit(dialog);
    EXPECT_EQ(dialog.message(), AccountExchange::kWrongCode);
    EXPECT_TRUE(dialog.codeEdit()->text().isEmpty());
    EXPECT_EQ(captchas(), 4);
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(CRegisterDlgTest, NetworkFailureChangesNothing) {
    CRegisterDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    m_service.script(kRegister, QStringLiteral("drop"));
    fill(dialog, QStringLiteral("new@velo.example"), QStringLiteral("secret1"),
         QStringLiteral("secret1"), QStringLiteral("1234"));
    submit(dialog);
    EXPECT_EQ(m_service.requests(kRegister), 1);
    EXPECT_TRUE(dialog.message().isEmpty());
    EXPECT_EQ(dialog.passwordEdit()->text(), QStringLiteral("secret1"));
    EXPECT_EQ(dialog.confirmationEdit()->text(), QStringLiteral("secret1"));
    EXPECT_EQ(dialog.codeEdit()->text(), QStringLiteral("1234"));
    EXPECT_EQ(captchas(), 1);
}

TEST_F(CRegisterDlgTest, APressOnThePictureRenewsItAndBesideItDoesNothing) {
    CRegisterDlg dialog(m_context, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    waitForCaptcha(dialog);
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(196, 170));
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(249, 175));
    QTest::mouseClick(&dialog, Qt::RightButton, {}, QPoint(220, 175));
    waitForCaptcha(dialog);
    EXPECT_EQ(captchas(), 1);
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(220, 175));
    EXPECT_EQ(dialog.captchaFetchesRunning(), 1);
    waitForCaptcha(dialog);
    EXPECT_EQ(captchas(), 2);
}

TEST_F(CRegisterDlgTest, OnlyTheLatestFetchIsShownAndAFailedOneSaysSo) {
    CRegisterDlg dialog(m_context, nullptr);
    waitForCaptcha(dialog);
    // The first of two fetches is slow and fails; the second has come back by then.
    m_service.script(kCaptcha, QStringLiteral("delay"), {}, 0, 1500);
    m_service.script(kCaptcha, QStringLiteral("reply"), "not a picture", 500);
    const QPixmap before = dialog.captchaImage()->pixmap();
    dialog.FetchCaptcha();
    EXPECT_EQ_SOON(captchas(), 2, 15000);  // the slow one is at the service
    dialog.FetchCaptcha();
    waitForCaptcha(dialog);
    EXPECT_EQ(dialog.message(), AccountExchange::kRegistrationTimeout)
        << "the latest fetch failed, whatever the older one brought";
    EXPECT_EQ(dialog.captchaImage()->pixmap().toImage(), before.toImage())
        << "the older fetch's picture is not put up";

    m_service.script(kCaptcha, QStringLiteral("drop"));
    dialog.FetchCaptcha();
    waitForCaptcha(dialog);
    EXPECT_EQ(dialog.message(), QStringLiteral("タイムアウト "));
}

TEST_F(CRegisterDlgTest, WorkStillRunningWhenTheDialogGoesTouchesNothingOfIt) {
    const QString file = CaptchaDownload::imagePath(m_service.programFolder());
    m_service.script(kCaptcha, QStringLiteral("delay"), {}, 0, 600);
    {
        CRegisterDlg dialog(m_context, nullptr);
        dialog.show();
        ASSERT_EQ(dialog.captchaFetchesRunning(), 1);
    }
    // The fetch only writes the file.
    ASSERT_SOON(QFile::exists(file), 15000);
    ASSERT_SOON(!m_context.workers.busy(), 15000);

    // A registration under way keeps the dialog open: neither its close button, nor Escape, nor
    // the window's close ends it, and its answer then reaches the user.
    m_service.script(kRegister, QStringLiteral("delay"), {}, 0, 600);
    {
        CRegisterDlg dialog(m_context, nullptr);
        dialog.show();
        waitForCaptcha(dialog);
        fill(dialog, QStringLiteral("staying@velo.example"), QStringLiteral("secret1"),
             QStringLiteral("secret1"), m_service.captchaCode());
        dialog.submitButton()->click();
        ASSERT_TRUE(dialog.busy());
        dialog.closeButton()->click();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_SOON(!dialog.busy(), 15000);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.message(), AccountExchange::kRegistered);
    }

    // A dialog that goes while its request runs (its owner went) is left alone by the answer.
    m_service.script(kRegister, QStringLiteral("delay"), {}, 0, 600);
    {
        CRegisterDlg dialog(m_context, nullptr);
        dialog.show();
        waitForCaptcha(dialog);
        fill(dialog, QStringLiteral("leaving@velo.example"), QStringLiteral("secret1"),
             QStringLiteral("secret1"), m_service.captchaCode());
        dialog.submitButton()->click();
        ASSERT_TRUE(dialog.busy());
    }
    EXPECT_EQ_SOON(m_service.requests(kRegister), 2, 15000);
    ASSERT_SOON(!m_context.workers.busy(), 15000);
}

TEST_F(CRegisterDlgTest, AProgramFolderThatCannotBeWrittenStillShowsTheCaptcha) {
    // A folder where the picture's file should be stands for a folder the user cannot write.
    ASSERT_TRUE(QDir().mkpath(CaptchaDownload::imagePath(m_service.programFolder())));
    CRegisterDlg dialog(m_context, nullptr);
    dialog.show();
    waitForCaptcha(dialog);
    EXPECT_FALSE(dialog.captchaImage()->pixmap().isNull());
    EXPECT_TRUE(dialog.message().isEmpty());
}

TEST_F(CRegisterDlgTest, TheWindowStaysResponsiveWhileTheServiceDecides) {
    CRegisterDlg dialog(m_context, nullptr);
    dialog.show();
    waitForCaptcha(dialog);
    m_service.script(kRegister, QStringLiteral("delay"), {}, 0, 1500);
    fill(dialog, QStringLiteral("patient@velo.example"), QStringLiteral("secret1"),
         QStringLiteral("secret1"), m_service.captchaCode());
    dialog.submitButton()->click();
    ASSERT_TRUE(dialog.busy());
    EXPECT_FALSE(dialog.submitButton()->isEnabled());
    bool ticked = false;
    QTimer::singleShot(0, &dialog, [&ticked] { ticked = true; });
    ASSERT_SOON(ticked, 5000);
    EXPECT_TRUE(dialog.busy()) << "the timer ran while the request was still out";
    // A second press meanwhile sends nothing more.
    dialog.submitButton()->click();
    ASSERT_SOON(!dialog.busy(), 15000);
    EXPECT_EQ(m_service.requests(kRegister), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.message(), AccountExchange::kRegistered);
    EXPECT_EQ(dialog.registeredId(), QStringLiteral("patient@velo.example"));
    EXPECT_EQ(dialog.registeredPassword(), QStringLiteral("secret1"));
}

TEST_F(CRegisterDlgTest, RegisteringFromTheSignInDialogSignsTheNewAccountIn) {
    ClientSession session(m_context);
    MessageCounter owner(Messages::kRefreshSignIn);
    CLoginDlg login(session, &owner);
    login.rememberBox()->setChecked(true);
    login.show();
    registerFrom(login, QStringLiteral("newcomer@velo.example"), QStringLiteral("welcome1"));
    // Signed in at once under the ID, the window told and the login remembered, before the
    // login that follows has answered.
    SessionRecord& record = m_context.session;
    EXPECT_EQ(record.IsSignedIn(), 1);
    EXPECT_EQ(record.GetUserId(), QStringLiteral("newcomer@velo.example"));
    EXPECT_EQ(record.GetDisplayName(), QStringLiteral("newcomer@velo.example"));
    EXPECT_EQ(record.GetPassword(), QStringLiteral("welcome1"));
    EXPECT_EQ(owner.count, 1);
    EXPECT_EQ(ConfigFile(m_service.programFolder()).userInfo(),
              SavedLogin::MakeRecord(QStringLiteral("newcomer@velo.example"),
                                     QStringLiteral("welcome1"), m_clock.now().date()));
    // The dialog ends once the follow-up login has brought the viewing time; nothing else of
    // that login changes the record.
    ASSERT_SOON(!login.isVisible(), 15000);
    EXPECT_EQ(login.result(), 0);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), 1);
    EXPECT_EQ(record.GetUseTime(), 3600);
    EXPECT_EQ(record.GetDisplayName(), QStringLiteral("newcomer@velo.example"));
    EXPECT_EQ(owner.count, 1);
    record.SetSignedIn(0);
}

TEST_F(CRegisterDlgTest, ARefusedFollowUpLoginLeavesTheNewAccountSignedIn) {
    ClientSession session(m_context);
    MessageCounter owner(Messages::kRefreshSignIn);
    CLoginDlg login(session, &owner);
    login.show();
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("reply"),
                     "<Result><Status>2</Status><UseTime>5000</UseTime></Result>");
    registerFrom(login, QStringLiteral("second@velo.example"), QStringLiteral("welcome2"));
    ASSERT_SOON(!login.isVisible(), 15000);
    EXPECT_EQ(m_context.session.IsSignedIn(), 1);
    EXPECT_EQ(m_context.session.GetUserId(), QStringLiteral("second@velo.example"));
    EXPECT_EQ(m_context.session.GetUseTime(), 0);
    EXPECT_EQ(ConfigFile(m_service.programFolder()).userInfo(), QString())
        << "the box was not checked";
    m_context.session.SetSignedIn(0);
}

TEST_F(CRegisterDlgTest, ClosedRegistrationLeavesTheSignInDialogAsItWas) {
    ClientSession session(m_context);
    MessageCounter owner(Messages::kRefreshSignIn);
    CLoginDlg login(session, &owner);
    login.show();
    UiFixture::whenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<CRegisterDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->closeButton()->click();
    });
    QTest::mouseClick(login.registerButton(), Qt::LeftButton);
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
    EXPECT_EQ(owner.count, 0);
    EXPECT_TRUE(login.isVisible());
}
