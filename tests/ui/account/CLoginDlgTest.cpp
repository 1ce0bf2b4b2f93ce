#include "account/CLoginDlg.h"

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
#include "widgets/CCueEdit.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CLoginDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
        m_context.session.SetSignedIn(0);
    }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }
    void signIn(CLoginDlg& dialog, const QString& id, const QString& password, bool remember) {
        dialog.idEdit()->SetText(id);
        dialog.passwordEdit()->setText(password);
        dialog.rememberBox()->setChecked(remember);
        dialog.loginButton()->click();
        ASSERT_SOON(!dialog.busy(), 15000);
    }

    ManualClock m_clock;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
    ClientSession m_session{m_context};
    MessageCounter m_owner{Messages::kRefreshSignIn};
};

}  // namespace

TEST_F(CLoginDlgTest, EmptyFieldsAreRefusedWithoutAskingTheServer) {
    CLoginDlg dialog(m_session, &m_owner);
    EXPECT_EQ(dialog.idEdit()->text(), QStringLiteral(" ")) << "the cue is one blank";
    dialog.passwordEdit()->setText(QStringLiteral("pw"));
    dialog.loginButton()->click();
    EXPECT_EQ(dialog.message(), CLoginDlg::kEmptyFields);
    dialog.idEdit()->SetText(QStringLiteral("a@b.jp"));
    dialog.passwordEdit()->clear();
    dialog.loginButton()->click();
    EXPECT_EQ(dialog.message(), CLoginDlg::kEmptyFields);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), 0);
}

TEST_F(CLoginDlgTest, RefusalShowsTheExchangesMessageAndKeepsTheFields) {
    CLoginDlg dialog(m_session, &m_owner);
    signIn(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("wrong"), true);
    EXPECT_EQ(dialog.message(), LoginExchange::kWrongIdOrPassword);
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
    EXPECT_EQ(dialog.idEdit()->GetText(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(m_owner.count, 0);
    signIn(dialog, QStringLiteral("busy@velo.example"), QStringLiteral("busy1234"), false);
    EXPECT_EQ(dialog.message(), LoginExchange::kSignedInElsewhere);
}

TEST_F(CLoginDlgTest, SignInFillsTheRecordTellsTheOwnerAndRemembers) {
    CLoginDlg dialog(m_session, &m_owner);
    dialog.show();
    signIn(dialog, QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), true);
    EXPECT_EQ(m_context.session.IsSignedIn(), 1);
    EXPECT_EQ(m_context.session.GetUserId(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(m_context.session.GetDisplayName(), QStringLiteral("デモユーザー"));
    EXPECT_EQ(m_context.session.GetPassword(), QStringLiteral("demo1234"));
    EXPECT_EQ(m_owner.count, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(config().userInfo(),
              SavedLogin::MakeRecord(QStringLiteral("demo@velo.example"),
                                     QStringLiteral("demo1234"), m_clock.now().date()))
        << "the record is dated by the client's clock";
    EXPECT_EQ(m_context.session.GetUseTime(), 36000);

    // The next dialog comes up filled in.
    CLoginDlg next(m_session, &m_owner);
    EXPECT_EQ(next.idEdit()->GetText(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(next.passwordEdit()->text(), QStringLiteral("demo1234"));
    EXPECT_TRUE(next.rememberBox()->isChecked());

    // Signing in with the box cleared forgets it.
    signIn(next, QStringLiteral("taro@velo.example"), QStringLiteral("taro5678"), false);
    EXPECT_EQ(config().userInfo(), QString());
    CLoginDlg empty(m_session, &m_owner);
    EXPECT_EQ(empty.idEdit()->GetText(), QString());
    EXPECT_FALSE(empty.rememberBox()->isChecked());
    m_context.session.SetSignedIn(0);
}

TEST_F(CLoginDlgTest, RememberedLoginExpiresAfterThirtyDays) {
    const QDate saved = m_clock.now().date();
    config().writeUserInfo(
        SavedLogin::MakeRecord(QStringLiteral("old@velo.example"), QStringLiteral("pw"), saved));
    m_clock.setNow(m_clock.now().addDays(29));
    CLoginDlg recent(m_session, &m_owner);
    EXPECT_EQ(recent.idEdit()->GetText(), QStringLiteral("old@velo.example"));
    m_clock.setNow(m_clock.now().addDays(1));
    CLoginDlg expired(m_session, &m_owner);
    EXPECT_EQ(expired.idEdit()->GetText(), QString());
    EXPECT_FALSE(expired.rememberBox()->isChecked());
}

TEST_F(CLoginDlgTest, LoginTooLongToRememberIsForgottenAndSaidSo) {
    const QString id = QStringLiteral("a.very.long.address@velo.example");
    const QString password = QStringLiteral("password123");
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("reply"),
                     "<Result><Status>1</Status><UserName>Long</UserName></Result>");
    config().writeUserInfo(SavedLogin::MakeRecord(QStringLiteral("x@y.jp"), QStringLiteral("p"),
                                                  QDate::currentDate()));
    CLoginDlg dialog(m_session, &m_owner);
    QString said;
    UiFixture::whenModalOpens([&said](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            said = box->text();
            box->accept();
        }
    });
    signIn(dialog, id, password, true);
    EXPECT_EQ(said, CLoginDlg::kCannotRemember);
    EXPECT_EQ(m_context.session.IsSignedIn(), 1);
    EXPECT_EQ(config().userInfo(), QString()) << "an older record must not stay";
    m_context.session.SetSignedIn(0);
}

TEST_F(CLoginDlgTest, EnterInEitherFieldSignsInAndTabReachesEveryControl) {
    CLoginDlg dialog(m_session, &m_owner);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.idEdit()->SetText(QStringLiteral("demo@velo.example"));
    dialog.passwordEdit()->setText(QStringLiteral("demo1234"));
    dialog.idEdit()->setFocus();
    QTest::keyClick(dialog.idEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog.busy()) << "Enter in the ID field signs in";
    ASSERT_SOON(!dialog.busy(), 15000);
    EXPECT_EQ(m_context.session.IsSignedIn(), 1);
    m_context.session.SetSignedIn(0);

    CLoginDlg next(m_session, &m_owner);
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    next.passwordEdit()->clear();
    next.passwordEdit()->setFocus();
    QTest::keyClick(next.passwordEdit(), Qt::Key_Enter);
    EXPECT_EQ(next.message(), CLoginDlg::kEmptyFields) << "Enter in the password field too";

    // Tab goes round every control, the skin buttons included.
    next.idEdit()->setFocus();
    QSet<QWidget*> reached;
    for (int i = 0; i < 10; ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QWidget* control :
         {static_cast<QWidget*>(next.idEdit()), static_cast<QWidget*>(next.passwordEdit()),
          static_cast<QWidget*>(next.rememberBox()), static_cast<QWidget*>(next.loginButton()),
          static_cast<QWidget*>(next.closeButton())}) {
        EXPECT_TRUE(reached.contains(control)) << control->metaObject()->className();
    }
}

TEST_F(CLoginDlgTest, ClosingWhileTheLoginIsUnderWaySignsTheAccountOutAgain) {
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("delay"), {}, 0, 800);
    {
        CLoginDlg dialog(m_session, &m_owner);
        dialog.idEdit()->SetText(QStringLiteral("demo@velo.example"));
        dialog.passwordEdit()->setText(QStringLiteral("demo1234"));
        dialog.loginButton()->click();
        ASSERT_TRUE(dialog.busy());
        dialog.closeButton()->click();
    }
    // The server granted the login nobody waits for any more; it is taken back.
    EXPECT_EQ_SOON(m_service.requests(QStringLiteral("/user!logout.action")), 1, 15000);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), 1);
    const QJsonObject logout =
        m_service.lastRequest(QStringLiteral("/user!logout.action")).value("params").toObject();
    EXPECT_EQ(logout.value("um").toString(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
    EXPECT_EQ(m_owner.count, 0);
}
