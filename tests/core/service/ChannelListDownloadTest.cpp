#include "service/ChannelListDownload.h"

#include "catalogue/ChannelList.h"
#include "service/HttpRequest.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"
#include "support/RefService.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class ChannelListDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        ASSERT_TRUE(TicketRequest::RequestTicket(config(), m_state));
    }
    ConfigFile config() const { return ConfigFile(m_service.programFolder()); }
    bool download() {
        return ChannelListDownload::DownloadChannelList(config(), m_state,
                                                        m_service.programFolder());
    }
    QString listPath() const {
        return QDir(m_service.programFolder()).filePath(QStringLiteral("tvchannel.xml"));
    }
    QByteArray listFile() const {
        QFile file(listPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QByteArray servedList() const {
        QFile file(QDir(m_service.dataFolder()).filePath(QStringLiteral("channels.xml")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    RefService m_service;
    ServiceState m_state;
};

}  // namespace

TEST_F(ChannelListDownloadTest, StoresTheListByteForByteAndItLoads) {
    ASSERT_TRUE(download());
    EXPECT_EQ(listFile(), servedList());
    const QString target =
        m_service.lastRequest(QStringLiteral("/tvprogram.action")).value("target").toString();
    EXPECT_TRUE(target.endsWith(QStringLiteral("&ack=") + m_state.uuid() +
                                QStringLiteral("00000001&lang=1")))
        << target.toStdString();
    EXPECT_TRUE(
        target.startsWith(QStringLiteral("/") + QString::fromLatin1(RefService::kTvProgram)));

    ChannelList lists;
    EXPECT_GE(LoadChannelFile(listPath(), lists), 3);
    EXPECT_GT(lists.channels.size(), 20u);
    const ChannelInfo* first = lists.channels.front().get();
    // The demo addresses are the service's own live streams.
    EXPECT_TRUE(first->address().startsWith(m_service.serverUrl() + QStringLiteral("/live/")))
        << first->address().toString().toStdString();
}

TEST_F(ChannelListDownloadTest, FailureKeepsThePreviousListWhole) {
    ASSERT_TRUE(download());
    const QByteArray good = listFile();
    const struct {
        QString action;
        QByteArray body;
        int status;
    } cases[] = {
        {QStringLiteral("reply"), QByteArray(), 0},
        {QStringLiteral("reply"), QByteArray(3000, '\0'), 0},
        {QStringLiteral("reply"), "<html>Internal error</html>", 500},
        {QStringLiteral("drop"), QByteArray(), 0},
        {QStringLiteral("truncate"), QByteArray(), 0},
    };
    for (const auto& c : cases) {
        m_service.script(QStringLiteral("/tvprogram.action"), c.action, c.body, c.status);
        EXPECT_FALSE(download()) << c.action.toStdString() << " " << c.status;
        EXPECT_EQ(listFile(), good) << c.action.toStdString();
    }
    // A stale identity is refused by the server.
    m_state.setUuid(QStringLiteral("stale"));
    EXPECT_FALSE(download());
    EXPECT_EQ(listFile(), good);
    EXPECT_EQ(QDir(m_service.programFolder()).entryList(QDir::Files).filter("tvchannel").size(), 1)
        << "no temporary file is left behind";
}

TEST_F(ChannelListDownloadTest, RepliesOverTheirLimitAreRefused) {
    // The same limit keeps a runaway reply from filling memory; here it is made small.
    HttpRequest::Options options;
    options.maxBody = 1000;
    const HttpRequest::Response response =
        HttpRequest::get(ChannelListDownload::ChannelListAddress(config(), m_state), options);
    EXPECT_EQ(response.failure, HttpRequest::Failure::TooLarge);
    EXPECT_LE(response.body.size(), 1000);
    EXPECT_GT(servedList().size(), 1000);
}

TEST_F(ChannelListDownloadTest, ZeroBytesInsideTheReplyAreKept) {
    const QByteArray body =
        QByteArray("<a>") + QByteArray("\0\0x", 3) + QByteArray(5000, 'y') + QByteArray("</a>");
    m_service.script(QStringLiteral("/tvprogram.action"), QStringLiteral("reply"), body);
    ASSERT_TRUE(download());
    EXPECT_EQ(listFile(), body);
}

TEST_F(ChannelListDownloadTest, AddressUsesTheServerInEffectAndTheIdentity) {
    ServiceState state;
    state.setUuid(QString());
    // With no server in effect yet, the configured one is taken and kept.
    const QString address = ChannelListDownload::ChannelListAddress(config(), state);
    EXPECT_EQ(address, m_service.serverUrl() + QStringLiteral("/") +
                           QString::fromLatin1(RefService::kTvProgram) +
                           QStringLiteral("&ack=00000001&lang=1"));
    EXPECT_EQ(state.serverUrl(), m_service.serverUrl());

    state.setServerUrl(QStringLiteral("http://fallback.example:7006"));
    state.setUuid(QStringLiteral("a&b"));
    EXPECT_TRUE(ChannelListDownload::ChannelListAddress(config(), state)
                    .startsWith(QStringLiteral("http://fallback.example:7006/")));
    EXPECT_TRUE(ChannelListDownload::ChannelListAddress(config(), state)
                    .contains(QStringLiteral("&ack=a%26b00000001")));
}
