#include "service/RequestCore.h"

#include "service/HttpRequest.h"
#include "service/LoginExchange.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <gtest/gtest.h>

TEST(ServerAddress, IsReadAsHostAndPortAndPutTogetherByTheLibrary) {
    const struct {
        QString address;
        QString path;
        QString url;
    } cases[] = {
        {QStringLiteral("HTTP://Example.JP:8080"), QStringLiteral("/user!login.action?"),
         QStringLiteral("http://example.jp:8080/user!login.action?")},
        {QStringLiteral("host.example"), QStringLiteral("auth.action?um=&pwd=&type=1&ack=1f"),
         QStringLiteral("http://host.example/auth.action?um=&pwd=&type=1&ack=1f")},
        {QStringLiteral("https://secure.example"), QStringLiteral("pulse.action?uuid=a%26b&tmp=-1"),
         QStringLiteral("https://secure.example/pulse.action?uuid=a%26b&tmp=-1")},
        // What follows the port's digits is not part of the address.
        {QStringLiteral("http://h:81/ignored"), QStringLiteral("x"),
         QStringLiteral("http://h:81/x")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RequestCore::addressUrl(c.address, c.path), c.url) << c.address.toStdString();
    }
}

TEST(HttpRedirect, LeadsOnlyToWebAddressesAndNeverFromHttpsToHttp) {
    const struct {
        const char* from;
        const char* to;
        bool allowed;
    } cases[] = {
        {"http://a.example/x", "http://b.example/y", true},
        {"http://a.example/x", "https://b.example/y", true},
        {"https://a.example/x", "HTTPS://b.example/y", true},
        {"https://a.example/x", "http://a.example/y", false},
        {"HTTPS://a.example/x", "http://a.example/y", false},
        {"http://a.example/x", "file:///etc/passwd", false},
        {"http://a.example/x", "ftp://a.example/y", false},
        {"http://a.example/x", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            HttpRequest::redirectAllowed(QString::fromLatin1(c.from), QString::fromLatin1(c.to)),
            c.allowed)
            << c.from << " -> " << c.to;
    }
}

TEST(ServerAddress, HostsThatCouldSendTheRequestElsewhereAreUnsafe) {
    for (const char* address :
         {"http://127.0.0.3#@127.0.0.2:8080", "http://host/app", "http://host?x:80",
          "http://user@host:80", "http://[::1]:80", "http://ho\\st:80", "http://ho st:80",
          "http://ho\tst:80", "http://host%2f:80", "http://host:99999"}) {
        RequestCore::ServerAddress server;
        EXPECT_EQ(RequestCore::readServerAddress(QString::fromLatin1(address), server),
                  RequestCore::AddressProblem::Unsafe)
            << address;
        EXPECT_TRUE(
            RequestCore::addressUrl(QString::fromLatin1(address), QStringLiteral("a")).isEmpty())
            << address;
    }
    RequestCore::ServerAddress server;
    EXPECT_EQ(RequestCore::readServerAddress(QStringLiteral("http://:80"), server),
              RequestCore::AddressProblem::NoHost);
}

namespace {

class RequestCoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }

    RefService m_service;
};

}  // namespace

TEST_F(RequestCoreTest, ACraftedServerAddressSendsTheCredentialsNowhere) {
    // Each of these, re-read by a URL parser, would have connected somewhere other than the host
    // it names, or posted to another path.
    const QString host = m_service.host();
    const QString port = QString::number(m_service.port());
    for (const QString& address :
         {QStringLiteral("http://127.0.0.3#@") + host + ':' + port,
          QStringLiteral("http://") + host + QStringLiteral("/app:") + port,
          QStringLiteral("http://demo@") + host + ':' + port,
          QStringLiteral("http://") + host + QStringLiteral("?:") + port}) {
        m_service.configure(QStringLiteral("ServerUrl"), address);
        const LoginExchange::LoginResult result = LoginExchange::Login(
            config(), QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"));
        EXPECT_FALSE(result.ok) << address.toStdString();
        EXPECT_EQ(result.message, RequestCore::kPostFailed) << address.toStdString();
        ServiceState state;
        EXPECT_FALSE(TicketRequest::RequestTicket(config(), state)) << address.toStdString();
    }
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), 0);
    EXPECT_EQ(m_service.requests(QStringLiteral("/auth.action")), 0);
}

TEST_F(RequestCoreTest, TheFormGoesToThePathAsWritten) {
    LoginExchange::Login(config(), QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"));
    EXPECT_EQ(
        m_service.lastRequest(QStringLiteral("/user!login.action")).value("target").toString(),
        QStringLiteral("/user!login.action?"));
}

TEST_F(RequestCoreTest, AReplyThatDribblesInIsReadWhole) {
    // One byte per write: every tag is split across writes.
    m_service.script(QStringLiteral("/auth.action"), QStringLiteral("dribble"));
    ServiceState state;
    EXPECT_TRUE(TicketRequest::RequestTicket(config(), state));
    EXPECT_EQ(state.uuid().size(), 32);
}
