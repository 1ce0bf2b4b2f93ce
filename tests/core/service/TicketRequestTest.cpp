#include "service/TicketRequest.h"

#include "service/ServiceState.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <QDir>
#include <QUrlQuery>

#include <arpa/inet.h>

#include <gtest/gtest.h>

namespace {

class TicketRequestTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }
    void scriptTicket(const QByteArray& body, const QString& action = QStringLiteral("reply")) {
        m_service.script(QStringLiteral("/auth.action"), action, body);
    }

    RefService m_service;
    ServiceState m_state;
};

// A reserved address: it resolves, but nothing answers there.
const QString kSilentHost = QStringLiteral("240.0.0.1");

}  // namespace

TEST(TicketRequestNumber, IsTwentyEightHexDigits) {
    EXPECT_EQ(TicketRequest::MakeRequestNumber(0), QStringLiteral("0000000000010000000000000001"));
    EXPECT_EQ(TicketRequest::MakeRequestNumber(254),
              QStringLiteral("000000fe000100000000000000ff"));
}

TEST_F(TicketRequestTest, GrantedTicketKeepsTheIdentityAndServerAddress) {
    ASSERT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid().size(), 32);
    EXPECT_EQ(m_state.serverUrl(), m_service.serverUrl());
    EXPECT_EQ(m_state.serverIp(), m_service.address());

    const QUrlQuery query(m_service.lastRequest(QStringLiteral("/auth.action"))
                              .value("target")
                              .toString()
                              .section(QLatin1Char('?'), 1));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("um")), QString());
    EXPECT_EQ(query.queryItemValue(QStringLiteral("type")), QStringLiteral("1"));
    const QString ack = query.queryItemValue(QStringLiteral("ack"));
    EXPECT_EQ(ack.size(), 28);
    EXPECT_EQ(ack.mid(8, 4), QStringLiteral("0001"));
    EXPECT_EQ(ack.mid(12).toULongLong(nullptr, 16), ack.left(8).toULongLong(nullptr, 16) + 1);
}

TEST_F(TicketRequestTest, ResultTagsDecideInTheirOrder) {
    scriptTicket("<Uuid>abc</Uuid><Result>1</Result>");
    EXPECT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid(), QStringLiteral("abc"));

    scriptTicket("<Uuid>refused-but-kept</Uuid><Result>2</Result>");
    EXPECT_FALSE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid(), QStringLiteral("refused-but-kept"));

    scriptTicket("<Result>3</Result><Uuid>x</Uuid>");
    EXPECT_FALSE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid(), QStringLiteral("x"));

    // A reply without an identity leaves the old one; one without a result is no ticket.
    scriptTicket("<Result>7</Result>");
    EXPECT_FALSE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid(), QStringLiteral("x"));

    scriptTicket({}, QStringLiteral("drop"));
    EXPECT_FALSE(TicketRequest::RequestTicket(config(), m_state));
}

TEST_F(TicketRequestTest, TagAcrossTheFirstKilobyteIsFound) {
    scriptTicket({}, QStringLiteral("split1024"));
    EXPECT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.uuid().size(), 32);
}

TEST_F(TicketRequestTest, UnreachableServerFallsBackToTheProbeHostsServers) {
    m_service.configure(QStringLiteral("ServerUrl"), QStringLiteral("http://") + kSilentHost);
    m_service.configure(QStringLiteral("ProbeHost1"), kSilentHost);
    m_service.configure(QStringLiteral("ProbeHost2"), m_service.host());
    m_service.configure(QStringLiteral("FallbackUrl2"), m_service.serverUrl());

    ASSERT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.serverUrl(), m_service.serverUrl());
    EXPECT_EQ(m_state.serverIp(), m_service.address());

    // With no host answering, nothing is asked and the configured address stays.
    m_service.configure(QStringLiteral("ProbeHost2"), kSilentHost);
    const int before = m_service.requests(QStringLiteral("/auth.action"));
    EXPECT_FALSE(TicketRequest::RequestTicket(config(), m_state));
    EXPECT_EQ(m_state.serverUrl(), QStringLiteral("http://") + kSilentHost);
    EXPECT_EQ(m_state.serverIp(), ::inet_addr("240.0.0.1")) << "the last host resolved";
    EXPECT_EQ(m_service.requests(QStringLiteral("/auth.action")), before);
}

TEST_F(TicketRequestTest, ProbeResolvesStoresAndAnswers) {
    EXPECT_TRUE(TicketRequest::ProbeHost(m_state, m_service.host().toLatin1(), {80}));
    EXPECT_EQ(m_state.serverIp(), m_service.address());

    ServiceState fresh;
    EXPECT_FALSE(TicketRequest::ProbeHost(fresh, "no-such-host.invalid", {80}));
    EXPECT_EQ(fresh.serverIp(), 0u);
    EXPECT_FALSE(TicketRequest::ProbeHost(fresh, "255.255.255.255", {80}));
    EXPECT_EQ(fresh.serverIp(), 0u);
    EXPECT_FALSE(TicketRequest::ProbeHost(fresh, "", {80}));

    // The port of an address plays no part in the probe.
    QString address = m_service.serverUrl();
    EXPECT_TRUE(TicketRequest::CheckServer(config(), fresh, address));
    EXPECT_EQ(address, m_service.serverUrl());
    QString empty;
    EXPECT_FALSE(TicketRequest::CheckServer(config(), fresh, empty));
}

TEST_F(TicketRequestTest, ProbesLeaveNoDescriptorOpen) {
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::NoDotAndDotDot | QDir::Files | QDir::System)
            .size();
    };
    // The first use may load libraries.
    TicketRequest::ProbeHost(m_state, m_service.host().toLatin1(), {80});
    const qsizetype before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        TicketRequest::ProbeHost(m_state, m_service.host().toLatin1(), {80});
        TicketRequest::ProbeHost(m_state, "no-such-host.invalid", {80});
    }
    // Each of these waits out the echo's second.
    TicketRequest::ProbeHost(m_state, kSilentHost.toLatin1(), {80});
    TicketRequest::ProbeHost(m_state, kSilentHost.toLatin1(), {80});
    EXPECT_EQ(openDescriptors(), before);
}
