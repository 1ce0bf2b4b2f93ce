#include "service/KeepAlive.h"

#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <gtest/gtest.h>

namespace {

class KeepAliveTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }

    RefService m_service;
    ServiceState m_state;
    std::uint32_t m_tick = 1000;
};

}  // namespace

TEST_F(KeepAliveTest, KnownIdentityIsAcceptedAndTheTickGoesOutSigned) {
    ASSERT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    // A tick count past 2^31 travels as the negative number it is when read signed.
    EXPECT_EQ(KeepAlive::SendPulse(config(), m_state, 0xFFFFFFF0u),
              KeepAlive::PulseResult::Accepted);
    EXPECT_EQ(m_service.requests(QStringLiteral("/pulse.action")), 1);
    EXPECT_TRUE(
        m_service.lastRequest(QStringLiteral("/pulse.action"))
            .value("target")
            .toString()
            .endsWith(QStringLiteral("uuid=") + m_state.uuid() + QStringLiteral("&tmp=-16")));
}

TEST_F(KeepAliveTest, RejectedPulseRenewsTheIdentityAndIsRepeatedOnce) {
    m_state.setServerUrl(m_service.serverUrl());
    m_state.setUuid(QStringLiteral("forgotten-by-the-server"));
    EXPECT_EQ(KeepAlive::SendPulse(config(), m_state, m_tick), KeepAlive::PulseResult::Accepted);
    EXPECT_EQ(m_service.requests(QStringLiteral("/auth.action")), 1);
    EXPECT_EQ(m_service.requests(QStringLiteral("/pulse.action")), 2);
    EXPECT_EQ(m_state.uuid().size(), 32);

    // Refused again after the renewal: one repeat only.
    m_service.script(QStringLiteral("/pulse.action"), QStringLiteral("reply"),
                     "<Result>-1</Result>", 0, 0, 2);
    EXPECT_EQ(KeepAlive::SendPulse(config(), m_state, m_tick), KeepAlive::PulseResult::Rejected);
    EXPECT_EQ(m_service.requests(QStringLiteral("/pulse.action")), 4);
}

TEST_F(KeepAliveTest, LaterAcceptanceInTheSameReplyWins) {
    ASSERT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    m_service.script(QStringLiteral("/pulse.action"), QStringLiteral("reply"),
                     "<Result>-1</Result>" + QByteArray(2000, ' ') + "<Result>1</Result>");
    EXPECT_EQ(KeepAlive::SendPulse(config(), m_state, m_tick), KeepAlive::PulseResult::Accepted);
    EXPECT_EQ(m_service.requests(QStringLiteral("/auth.action")), 1) << "no renewal was needed";

    m_service.script(QStringLiteral("/pulse.action"), QStringLiteral("drop"));
    EXPECT_EQ(KeepAlive::SendPulse(config(), m_state, m_tick), KeepAlive::PulseResult::NoAnswer);
}

TEST_F(KeepAliveTest, TickCountGoesOutSigned) {
    m_state.setServerUrl(QStringLiteral("http://h"));
    m_state.setUuid(QStringLiteral("u"));
    EXPECT_EQ(KeepAlive::PulseAddress(m_state, 0x80000000u),
              QStringLiteral("http://h/pulse.action?uuid=u&tmp=-2147483648"));
    EXPECT_EQ(KeepAlive::PulseAddress(m_state, 1234u),
              QStringLiteral("http://h/pulse.action?uuid=u&tmp=1234"));
}

TEST_F(KeepAliveTest, ForcedAuthorisationAddressTurnsOnlyALeadingHttpIntoHttps) {
    const struct {
        QString base;
        QString address;
    } cases[] = {
        {QStringLiteral("http://auth.example/"),
         QStringLiteral("https://auth.example/pc/forceauth")},
        {QStringLiteral("https://auth.example/"),
         QStringLiteral("https://auth.example/pc/forceauth")},
        {QStringLiteral("http://a.example/http/"),
         QStringLiteral("https://a.example/http/pc/forceauth")},
        {QString(), QStringLiteral("pc/forceauth")},
    };
    for (const auto& c : cases) {
        m_service.configure(QStringLiteral("UerSetMeal"), c.base);
        EXPECT_EQ(KeepAlive::ForceAuthAddress(config()), c.address) << c.base.toStdString();
    }
}
