#include "catalogue/ChannelList.h"

#include "common/Cipher.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ChannelListTest : public ::testing::Test {
protected:
    int load(const QByteArray& xml) {
        const QString path = m_dir.filePath(QStringLiteral("tvchannel.xml"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(xml);
        file.close();
        m_lists = ChannelList{};
        return LoadChannelFile(path, m_lists);
    }
    static QByteArray item(const QString& address) {
        return EncryptText(address).value().toLatin1();
    }

    QTemporaryDir m_dir;
    ChannelList m_lists;
};

}  // namespace

TEST_F(ChannelListTest, GroupIndicesRunAcrossSetsAndChannelsKeepTheirGroup) {
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><list>"
        "<groups name=\"地上波\"><group name=\"人気チャンネル\">"
        "<channel id=\"1\"><name>ニュース</name><vip>0</vip><zar_address><item>" +
        item(QStringLiteral("zar://h/1")) +
        "</item><item>ignored</item></zar_address></channel>"
        "</group><group name=\"空\"/></groups>"
        "<groups name=\"BS\"><group name=\"映画\"><channel id=\"2\"><name>Cinema &amp; Co</name>"
        "<vip>1</vip><zar_address><item></item></zar_address></channel></group>"
        "<group name=\"最新更新\"><channel id=\"3\"/></group></groups></list>";
    ASSERT_EQ(load(xml), 2);
    ASSERT_EQ(m_lists.groups.size(), 4u);
    EXPECT_EQ(m_lists.groups[1]->name, QStringLiteral("空"));
    EXPECT_FALSE(m_lists.groups[1]->hasChannels);
    EXPECT_EQ(m_lists.groups[2]->setIndex, 1);
    EXPECT_EQ(m_lists.groups[3]->groupIndex, 3);
    EXPECT_TRUE(m_lists.groups[3]->hasChannels) << "an empty channel element still counts";

    ASSERT_EQ(m_lists.channels.size(), 3u);
    EXPECT_EQ(m_lists.channels[0]->address(), QStringLiteral("zar://h/1"));
    EXPECT_EQ(m_lists.channels[0]->groupIndex, 0);
    EXPECT_EQ(m_lists.channels[1]->name(), QStringLiteral("Cinema & Co"));
    EXPECT_EQ(m_lists.channels[1]->groupIndex, 2);
    EXPECT_EQ(m_lists.channels[1]->address(), QString());
    EXPECT_EQ(m_lists.channels[2]->id(), QStringLiteral("3"));
    EXPECT_EQ(m_lists.channels[2]->groupIndex, 3);

    EXPECT_EQ(FindChannelByName(m_lists, QStringLiteral("ニュース")), m_lists.channels[0].get());
    EXPECT_EQ(FindChannelByName(m_lists, QStringLiteral("ニュー")), nullptr);
}

TEST_F(ChannelListTest, ChildrenAreReadInTheirOrderOnly) {
    // "vip" before "name" is never seen: its text stays empty, which is not "0".
    ASSERT_EQ(load("<l><groups name=\"s\"><group name=\"g\"><channel id=\"9\"><vip>0</vip>"
                   "<name>Late</name></channel></group></groups></l>"),
              1);
    EXPECT_EQ(m_lists.channels[0]->name(), QStringLiteral("Late"));
    EXPECT_EQ(m_lists.channels[0]->vip(), QString());
    EXPECT_EQ(ChannelLabel(*m_lists.channels[0]), QStringLiteral("Late  VIP"));
}

TEST_F(ChannelListTest, MissingOrBrokenFilesGiveNothing) {
    EXPECT_EQ(LoadChannelFile(m_dir.filePath(QStringLiteral("none.xml")), m_lists), 0);
    EXPECT_EQ(load("<l><groups name=\"s\"><group name=\"g\"></groups></l>"), 0);
    EXPECT_TRUE(m_lists.channels.empty());
    EXPECT_EQ(load("<l><other/></l>"), 0);
    EXPECT_EQ(load(""), 0);
}

TEST(ChannelLabel, CutsLongNamesAndMarksVip) {
    const auto label = [](const QString& name, const QString& vip) {
        return ChannelLabel(ChannelInfo(0, {}, name, vip, {}));
    };
    EXPECT_EQ(label(QStringLiteral("12345678901234567890"), QStringLiteral("0")),
              QStringLiteral("123456789012345678.."));
    EXPECT_EQ(label(QStringLiteral("12345678901234567890"), QStringLiteral("1")),
              QStringLiteral("1234567890123456..  VIP"));
    EXPECT_EQ(label(QStringLiteral("123456789012345678"), QStringLiteral("0")),
              QStringLiteral("123456789012345678"));
    EXPECT_EQ(label(QStringLiteral("短い"), QStringLiteral("yes")), QStringLiteral("短い  VIP"));
}

TEST(ChannelById, MatchesTheIdAsTypedWithOrWithoutLeadingZeros) {
    ChannelList lists;
    for (const char* id : {"0101", " 502 ", "abc"}) {
        lists.channels.push_back(std::make_unique<ChannelInfo>(0, QString::fromLatin1(id),
                                                               QString(), QString(), QString()));
    }
    const struct {
        const char* typed;
        int found;  // index in the list, -1: none
    } cases[] = {{"101", 0}, {"0101", 0}, {"00101", 0}, {"502", 1}, {" 0502", 1},
                 {"abc", 2}, {"10", -1},  {"", -1},     {"  ", -1}, {"ab", -1}};
    for (const auto& c : cases) {
        const ChannelInfo* expected = c.found < 0 ? nullptr : lists.channels[c.found].get();
        EXPECT_EQ(ChannelById(lists, QString::fromLatin1(c.typed)), expected) << c.typed;
    }
}
