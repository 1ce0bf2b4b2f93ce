#include "service/AccountExchange.h"

#include "service/CaptchaDownload.h"
#include "service/LoginExchange.h"
#include "service/RequestCore.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using AccountExchange::Reply;

namespace {

class AccountExchangeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }
    // A captcha fetched the way the forms fetch it; its code as the service remembers it.
    QString freshCode() const {
        CaptchaDownload::Tickets tickets;
        const CaptchaDownload::Result fetched = CaptchaDownload::Download(
            m_service.serverUrl(), CaptchaDownload::imagePath(m_service.programFolder()), tickets,
            tickets.next());
        EXPECT_TRUE(fetched.ok);
        return m_service.captchaCode();
    }
    QJsonObject lastParams(const QString& endpoint) const {
        return m_service.lastRequest(endpoint).value("params").toObject();
    }

    RefService m_service;
};

const QString kRegister = QStringLiteral("/user!register.action");
const QString kFindPassword = QStringLiteral("/user!findpwd.action");

}  // namespace

TEST(AccountChecks, RegistrationAddressNeedsAtAndADotThatIsNotLast) {
    const struct {
        const char* email;
        const QString* refusal;  // null: accepted
    } cases[] = {
        {"", &AccountExchange::kEnterEmail},
        {"user@example.", &AccountExchange::kEnterValidEmail},
        {"user@example", &AccountExchange::kEnterValidEmail},
        {"user.example.jp", &AccountExchange::kEnterValidEmail},
        // Only the first "." counts, wherever it stands.
        {"first.last@example", nullptr},
        {"a@b.c", nullptr},
        {"a.@b", nullptr},
    };
    for (const auto& c : cases) {
        QString message;
        const bool passed = AccountExchange::CheckEmail(QString::fromUtf8(c.email), message);
        EXPECT_EQ(passed, c.refusal == nullptr) << c.email;
        if (c.refusal != nullptr) {
            EXPECT_EQ(message, *c.refusal) << c.email;
        }
    }
    // A full-width character is refused as if nothing had been typed; U+00A0 itself passes.
    QString message;
    EXPECT_FALSE(AccountExchange::CheckEmail(QStringLiteral("ｕser@example.jp"), message));
    EXPECT_EQ(message, AccountExchange::kEnterEmail);
    EXPECT_TRUE(AccountExchange::CheckEmail(QStringLiteral("a\u00A0b@example.jp"), message));
}

TEST(AccountChecks, RecoveryAddressAllowsAnyCharacterAndSaysSoWithABlank) {
    QString message;
    EXPECT_TRUE(AccountExchange::CheckRecoveryEmail(QStringLiteral("ｕser@example.jp"), message));
    EXPECT_FALSE(AccountExchange::CheckRecoveryEmail(QStringLiteral("user@example"), message));
    EXPECT_EQ(message, QStringLiteral("正しいメールを入力してください "));
    EXPECT_FALSE(AccountExchange::CheckRecoveryEmail(QString(), message));
    EXPECT_EQ(message, AccountExchange::kEnterEmail);
}

TEST(AccountChecks, PasswordIsSixToTwentyUnitsTypedTwice) {
    const QString five(5, QLatin1Char('a'));
    const QString six(6, QLatin1Char('a'));
    const QString twenty(20, QLatin1Char('a'));
    const QString twentyOne(21, QLatin1Char('a'));
    QString message;
    EXPECT_FALSE(AccountExchange::CheckPassword(five, five, message));
    EXPECT_EQ(message, AccountExchange::kEnterValidPassword);
    EXPECT_FALSE(AccountExchange::CheckPassword(twentyOne, twentyOne, message));
    EXPECT_EQ(message, AccountExchange::kEnterValidPassword);
    EXPECT_FALSE(AccountExchange::CheckPassword(QString(), QString(), message));
    EXPECT_EQ(message, AccountExchange::kEnterValidPassword);
    EXPECT_TRUE(AccountExchange::CheckPassword(six, six, message));
    EXPECT_TRUE(AccountExchange::CheckPassword(twenty, twenty, message));
    EXPECT_FALSE(AccountExchange::CheckPassword(six, QString(), message));
    EXPECT_EQ(message, AccountExchange::kPasswordsDiffer);
    EXPECT_FALSE(AccountExchange::CheckPassword(QStringLiteral("Secret1"),
                                                QStringLiteral("secret1"), message));
    EXPECT_EQ(message, AccountExchange::kPasswordsDiffer);
}

TEST(AccountChecks, FormTooLongToSendWholeIsRefusedBeforeTheCodeIsMissing) {
    const QString longCode(250, QLatin1Char('1'));
    EXPECT_EQ(
        AccountExchange::CheckRegistration(QStringLiteral("a@b.jp"), QStringLiteral("secret1"),
                                           QStringLiteral("secret1"), longCode),
        RequestCore::kInputTooLong);
    EXPECT_EQ(
        AccountExchange::CheckRegistration(QStringLiteral("a@b.jp"), QStringLiteral("secret1"),
                                           QStringLiteral("secret1"), QString()),
        AccountExchange::kEnterCode);
    EXPECT_EQ(AccountExchange::CheckRecovery(QStringLiteral("a@b.jp"), longCode),
              RequestCore::kInputTooLong);
}

TEST(AccountReplies, OnlyTheFirstLineIsReadAndAnEmptyOneDecidesNothing) {
    EXPECT_EQ(AccountExchange::ReadReply("<Result><Status>-2</Status></Result>\r\nmore").status,
              QByteArray("-2"));
    EXPECT_EQ(AccountExchange::ReadReply("\n<Result><Status>1</Status></Result>").kind,
              Reply::Kind::Empty);
    EXPECT_EQ(AccountExchange::ReadReply(QByteArray()).kind, Reply::Kind::Empty);
    const Reply other = AccountExchange::ReadReply("<Other>1</Other>");
    EXPECT_EQ(other.kind, Reply::Kind::Status);
    EXPECT_TRUE(other.status.isEmpty());
    EXPECT_TRUE(AccountExchange::RegistrationText(other.status).isEmpty());
    EXPECT_TRUE(AccountExchange::RecoveryText("7").isEmpty());
    EXPECT_FALSE(AccountExchange::RecoveryWantsNewCaptcha("1"));
    EXPECT_TRUE(AccountExchange::RecoveryWantsNewCaptcha("-2"));
}

TEST_F(AccountExchangeTest, RegistrationGoesOutEncodedAndTheAccountCanSignIn) {
    const QString email = QStringLiteral("new+1@velo.example");
    const QString password = QStringLiteral("a&b=c 100%");
    const Reply reply = AccountExchange::Register(config(), email, password, freshCode());
    ASSERT_EQ(reply.kind, Reply::Kind::Status);
    EXPECT_EQ(reply.status, QByteArray("1"));

    const QJsonObject last = m_service.lastRequest(kRegister);
    EXPECT_EQ(last.value("target").toString(), kRegister);
    EXPECT_TRUE(last.value("body").toString().startsWith(
        QStringLiteral("um=new%2B1%40velo.example&pwd=a%26b%3Dc%20100%25&authCode=")))
        << last.value("body").toString().toStdString();
    EXPECT_EQ(last.value("contentType").toString(),
              QStringLiteral("application/x-www-form-urlencoded"));
    EXPECT_EQ(last.value("params").toObject().value("pwd").toString(), password);

    const LoginExchange::LoginResult login = LoginExchange::Login(config(), email, password);
    EXPECT_TRUE(login.ok) << login.message.toStdString();
    EXPECT_EQ(login.useTime, 3600);

    // The same ID again is taken; a wrong code is refused before anything else.
    EXPECT_EQ(AccountExchange::Register(config(), email, password, freshCode()).status,
              QByteArray("-2"));
    freshCode();
    EXPECT_EQ(AccountExchange::Register(config(), QStringLiteral("other@velo.example"), password,
                                        QStringLiteral("x"))
                  .status,
              QByteArray("-1"));
}

TEST_F(AccountExchangeTest, ScriptedFailuresAndBrokenRepliesAreToldApart) {
    m_service.script(kRegister, QStringLiteral("reply"), "<Result><Status>0</Status></Result>");
    EXPECT_EQ(AccountExchange::Register(config(), QStringLiteral("a@b.jp"),
                                        QStringLiteral("secret1"), QStringLiteral("1"))
                  .status,
              QByteArray("0"));
    m_service.script(kRegister, QStringLiteral("truncate"));
    EXPECT_EQ(AccountExchange::Register(config(), QStringLiteral("a@b.jp"),
                                        QStringLiteral("secret1"), QStringLiteral("1"))
                  .kind,
              Reply::Kind::Unreadable);
    m_service.script(kRegister, QStringLiteral("reply"), QByteArray(70 * 1024, 'x'));
    EXPECT_EQ(AccountExchange::Register(config(), QStringLiteral("a@b.jp"),
                                        QStringLiteral("secret1"), QStringLiteral("1"))
                  .kind,
              Reply::Kind::Unreadable)
        << "a reply over 64 KiB is not read";
    m_service.script(kFindPassword, QStringLiteral("drop"));
    EXPECT_EQ(
        AccountExchange::FindPassword(config(), QStringLiteral("a@b.jp"), QStringLiteral("1")).kind,
        Reply::Kind::NetworkFailure);
}

TEST_F(AccountExchangeTest, ASlowReplyIsWaitedForBeyondTheConnectTimeOut) {
    // The half-second limit is on connecting; the service may take longer to decide.
    m_service.script(kRegister, QStringLiteral("delay"), {}, 0, 1200);
    const Reply reply = AccountExchange::Register(config(), QStringLiteral("slow@velo.example"),
                                                  QStringLiteral("secret1"), freshCode());
    EXPECT_EQ(reply.status, QByteArray("1"));
}

TEST_F(AccountExchangeTest, NoServerListeningIsANetworkFailure) {
    m_service.configure(QStringLiteral("ServerUrl"), QStringLiteral("http://127.0.0.1:1"));
    EXPECT_EQ(AccountExchange::Register(config(), QStringLiteral("a@b.jp"),
                                        QStringLiteral("secret1"), QStringLiteral("1"))
                  .kind,
              Reply::Kind::NetworkFailure);
    EXPECT_EQ(
        AccountExchange::FindPassword(config(), QStringLiteral("a@b.jp"), QStringLiteral("1")).kind,
        Reply::Kind::NetworkFailure);
}

TEST_F(AccountExchangeTest, RecoveryKnowsTheAccountsAndTheCode) {
    EXPECT_EQ(
        AccountExchange::FindPassword(config(), QStringLiteral("demo@velo.example"), freshCode())
            .status,
        QByteArray("1"));
    const QJsonObject last = m_service.lastRequest(kFindPassword);
    EXPECT_EQ(last.value("target").toString(), kFindPassword);
    EXPECT_TRUE(last.value("body").toString().startsWith(
        QStringLiteral("um=demo%40velo.example&authCode=")));
    EXPECT_EQ(last.value("contentType").toString(),
              QStringLiteral("application/x-www-form-urlencoded"));
    EXPECT_EQ(m_service.state().value("mails").toArray().size(), 1);

    EXPECT_EQ(
        AccountExchange::FindPassword(config(), QStringLiteral("nobody@velo.example"), freshCode())
            .status,
        QByteArray("-2"));
    freshCode();
    EXPECT_EQ(AccountExchange::FindPassword(config(), QStringLiteral("demo@velo.example"),
                                            QStringLiteral("nope"))
                  .status,
              QByteArray("-1"));
}
