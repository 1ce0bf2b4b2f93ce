#include "service/LoginExchange.h"

#include "service/RequestCore.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

class LoginExchangeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }

    bool login(const QString& id, const QString& password) {
        const LoginExchange::LoginResult result = LoginExchange::Login(config(), id, password);
        m_name = result.displayName;
        m_message = result.message;
        m_useTime = result.useTime;
        return result.ok;
    }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }
    void scriptLogin(const QByteArray& body, int status = 0) {
        m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("reply"), body,
                         status);
    }

    RefService m_service;
    QString m_name;
    QString m_message;
    std::optional<int> m_useTime;
};

}  // namespace

TEST_F(LoginExchangeTest, AcceptedLoginGivesTheNameAndTheUseTime) {
    ASSERT_TRUE(login(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234")))
        << m_message.toStdString();
    EXPECT_EQ(m_name, QStringLiteral("デモユーザー"));
    EXPECT_EQ(m_useTime, 36000);
    EXPECT_TRUE(m_message.isEmpty()) << "success has nothing to tell the user";
}

TEST_F(LoginExchangeTest, UseTimeIsMillisecondsTruncatedTowardZero) {
    const struct {
        QByteArray value;
        int seconds;
    } cases[] = {{"3600000", 3600}, {"999", 0}, {"-1500", -1}, {"59999", 59}, {"12abc", 0}};
    for (const auto& c : cases) {
        scriptLogin("<Result><Status>1</Status><UserName>x</UserName><UseTime>" + c.value +
                    "</UseTime></Result>");
        ASSERT_TRUE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
        EXPECT_EQ(m_useTime, c.seconds) << c.value.constData();
    }
    EXPECT_EQ(LoginExchange::UseTimeSeconds("9223372036854775807"),
              static_cast<int>(static_cast<std::uint32_t>(9223372036854775LL)));
}

TEST_F(LoginExchangeTest, NameFollowsTheForwardOnlyReadingOfTheReply) {
    scriptLogin("<Result><Status>1</Status></Result>");
    ASSERT_TRUE(login(QStringLiteral("id@x.jp"), QStringLiteral("pw")));
    EXPECT_EQ(m_name, QStringLiteral("id@x.jp"));

    // A name before the status is never seen, and neither is a use time before the name.
    scriptLogin("<Result><UserName>early</UserName><Status>1</Status></Result>");
    ASSERT_TRUE(login(QStringLiteral("id@x.jp"), QStringLiteral("pw")));
    EXPECT_EQ(m_name, QStringLiteral("id@x.jp"));

    scriptLogin("<Result><Status>1</Status><UseTime>5000</UseTime><UserName>n</UserName></Result>");
    ASSERT_TRUE(login(QStringLiteral("id@x.jp"), QStringLiteral("pw")));
    EXPECT_EQ(m_name, QStringLiteral("n"));
    EXPECT_FALSE(m_useTime.has_value());
}

TEST_F(LoginExchangeTest, EveryRefusalHasItsMessage) {
    const struct {
        QByteArray body;
        QString message;
    } cases[] = {
        {"<Result><Status>2</Status></Result>", LoginExchange::kSignedInElsewhere},
        {"<Result><Status>0</Status></Result>", LoginExchange::kWrongIdOrPassword},
        {"<Result><Status>1 </Status></Result>", LoginExchange::kWrongIdOrPassword},
        {"", LoginExchange::kWrongIdOrPassword},
        {QByteArray("\0<Result><Status>1</Status></Result>", 36), LoginExchange::kNoLoginInfo},
        {"not a document", LoginExchange::kWrongIdOrPassword},
        {"<Status>1</Status>", LoginExchange::kWrongIdOrPassword},
        {"<Result><Status>1</Status>", LoginExchange::kWrongIdOrPassword},
    };
    for (const auto& c : cases) {
        scriptLogin(c.body);
        EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw"))) << c.body.constData();
        EXPECT_EQ(m_message, c.message) << c.body.constData();
    }
    EXPECT_FALSE(login(QStringLiteral("demo@velo.example"), QStringLiteral("wrong")));
    EXPECT_EQ(m_message, LoginExchange::kWrongIdOrPassword);
    EXPECT_FALSE(login(QStringLiteral("busy@velo.example"), QStringLiteral("busy1234")));
    EXPECT_EQ(m_message, LoginExchange::kSignedInElsewhere);
}

TEST_F(LoginExchangeTest, NetworkFailuresGiveTheNetworkMessages) {
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("drop"));
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_message, RequestCore::kTimedOut);

    // Random bytes are refused with one of the two reply messages, whichever byte comes first.
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("garbage"));
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_TRUE(m_message == LoginExchange::kWrongIdOrPassword ||
                m_message == LoginExchange::kNoLoginInfo);

    // Nobody listens on the port: the connection fails.
    m_service.configure(QStringLiteral("ServerUrl"),
                        QStringLiteral("http://%1:1").arg(m_service.host()));
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_message, RequestCore::kConnectFailed);

    m_service.configure(QStringLiteral("ServerUrl"), QString());
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_message, RequestCore::kConnectFailed);

    m_service.configure(QStringLiteral("ServerUrl"), QStringLiteral("http://bad host:80"));
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_message, RequestCore::kPostFailed);
}

TEST_F(LoginExchangeTest, ServerAddressFormsThatStillWork) {
    const QString hostPort = QStringLiteral("%1:%2").arg(m_service.host()).arg(m_service.port());
    for (const QString& address : {QStringLiteral("HTTP://") + hostPort, hostPort}) {
        m_service.configure(QStringLiteral("ServerUrl"), address);
        EXPECT_TRUE(login(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234")))
            << address.toStdString() << ": " << m_message.toStdString();
    }
}

TEST_F(LoginExchangeTest, FieldValuesArriveIntactAndLongFormsAreRefusedUnsent) {
    const QString password = QStringLiteral("a&pwd=b+c%d 日本");
    m_service.script(QStringLiteral("/user!login.action"), QStringLiteral("reply"),
                     "<Result><Status>0</Status></Result>");
    login(QStringLiteral("x+y@velo.example"), password);
    const QJsonObject params =
        m_service.lastRequest(QStringLiteral("/user!login.action")).value("params").toObject();
    EXPECT_EQ(params.value("pwd").toString(), password);
    EXPECT_EQ(params.value("um").toString(), QStringLiteral("x+y@velo.example"));

    // "um=" + 120 + "&pwd=" + 128 = 256 bytes: one too many.
    const int before = m_service.requests(QStringLiteral("/user!login.action"));
    EXPECT_FALSE(login(QString(120, QLatin1Char('i')), QString(128, QLatin1Char('p'))));
    EXPECT_EQ(m_message, RequestCore::kInputTooLong);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), before);
    // One byte less is sent.
    login(QString(120, QLatin1Char('i')), QString(127, QLatin1Char('p')));
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), before + 1);
}

TEST_F(LoginExchangeTest, ReplyIsReadWholeButBounded) {
    // A long name pushes the use time past the first 1023 bytes; it is still read.
    const QByteArray name(1500, 'n');
    scriptLogin("<Result><Status>1</Status><UserName>" + name +
                "</UserName><UseTime>120000</UseTime></Result>");
    ASSERT_TRUE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_name.size(), 1500);
    EXPECT_EQ(m_useTime, 120);

    // A reply over 64 KiB is not ours to read.
    scriptLogin("<Result><Status>1</Status><UserName>" + QByteArray(70000, 'n') +
                "</UserName></Result>");
    EXPECT_FALSE(login(QStringLiteral("a@b.c"), QStringLiteral("pw")));
    EXPECT_EQ(m_message, LoginExchange::kWrongIdOrPassword);
}

TEST_F(LoginExchangeTest, LogoutFailsOnlyWhenUnreachableOrOnAnEmptyFirstLine) {
    const QString id = QStringLiteral("demo@velo.example");
    const QString password = QStringLiteral("demo1234");
    EXPECT_TRUE(LoginExchange::Logout(config(), id, password));
    const QJsonObject params =
        m_service.lastRequest(QStringLiteral("/user!logout.action")).value("params").toObject();
    EXPECT_EQ(params.value("um").toString(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(params.value("pwd").toString(), QStringLiteral("demo1234"));

    const struct {
        QByteArray body;
        bool result;
    } cases[] = {
        {"<Result><Status>0</Status></Result>", true},
        {"<Result><Status>2</Status></Result>", true},
        {"garbage", true},
        {"", true},
        {"\n<Result><Status>1</Status></Result>", false},
        {"\r\n<Result><Status>1</Status></Result>", false},
    };
    for (const auto& c : cases) {
        m_service.script(QStringLiteral("/user!logout.action"), QStringLiteral("reply"), c.body);
        EXPECT_EQ(LoginExchange::Logout(config(), id, password), c.result) << c.body.constData();
    }
    m_service.script(QStringLiteral("/user!logout.action"), QStringLiteral("drop"));
    EXPECT_FALSE(LoginExchange::Logout(config(), id, password));
    m_service.configure(QStringLiteral("ServerUrl"),
                        QStringLiteral("http://%1:1").arg(m_service.host()));
    EXPECT_FALSE(LoginExchange::Logout(config(), id, password));
}
