#include "catalogue/ChannelFilterModel.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelTreeModel.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace {

// Two group sets: "地上波" with ニュース (two channels), 準備中 (none yet) and 人気チャンネル
// (one), and "BS" with 映画 (two channels) and a group the list says has channels but holds none.
ChannelList SampleList() {
    ChannelList lists;
    const auto addSet = [&lists](int index, const char* name) {
        auto set = std::make_unique<GroupSetInfo>();
        set->index = index;
        set->name = QString::fromUtf8(name);
        lists.groupSets.push_back(std::move(set));
    };
    const auto addGroup = [&lists](int set, int index, bool hasChannels, const char* name) {
        auto group = std::make_unique<GroupInfo>();
        group->setIndex = set;
        group->groupIndex = index;
        group->hasChannels = hasChannels;
        group->name = QString::fromUtf8(name);
        lists.groups.push_back(std::move(group));
    };
    const auto addChannel = [&lists](int group, const char* id, const char* name) {
        lists.channels.push_back(std::make_unique<ChannelInfo>(
            group, QString::fromUtf8(id), QString::fromUtf8(name), QStringLiteral("0"), QString()));
    };
    addSet(1, "地上波");
    addSet(2, "BS");
    addGroup(1, 10, true, "ニュース");
    addGroup(1, 11, false, "準備中");
    addGroup(1, 12, true, "人気チャンネル");
    addGroup(2, 20, true, "映画");
    addGroup(2, 21, true, "空き");
    addChannel(20, "201", "シネマ1");
    addChannel(10, "101", "ニュース24");
    addChannel(12, "121", "人気の一番");
    addChannel(10, "102", "天気予報");
    addChannel(20, "202", "シネマ2");
    return lists;
}

// The rows of MODEL as text, one level of indentation per depth, as the view walks them.
QStringList Outline(const QAbstractItemModel& model, const QModelIndex& parent = {},
                    int depth = 0) {
    QStringList lines;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex row = model.index(r, 0, parent);
        lines << QString(depth, QLatin1Char(' ')) + row.data().toString();
        lines << Outline(model, row, depth + 1);
    }
    return lines;
}

class ChannelTreeModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_model.Fill(m_lists);
        // Qt's own checker watches every change the tests make for a broken index or signal.
        m_tester = std::make_unique<QAbstractItemModelTester>(
            &m_filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    const ChannelInfo* channel(int i) const {
        return m_lists.channels[static_cast<size_t>(i)].get();
    }

    ChannelList m_lists = SampleList();
    ChannelTreeModel m_model;
    ChannelFilterModel m_filter{m_model};
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

}  // namespace

TEST_F(ChannelTreeModelTest, FillsSetsGroupsAndChannelsInTheListsOrder) {
    EXPECT_EQ(Outline(m_model),
              (QStringList{"地上波", " ニュース", "  ニュース24", "  天気予報", " 準備中",
                           "  " + kEmptyGroupLabel, " 人気チャンネル", "  人気の一番", "BS",
                           " 映画", "  シネマ1", "  シネマ2", " 空き"}));
    const ChannelNode* news = m_model.groupSet(0)->child(0);
    EXPECT_EQ(news->child(1)->channel(), channel(3));
    EXPECT_EQ(news->child(1)->depth(), 2);
    EXPECT_EQ(news->child(1)->firstBitmap(), 177);
    EXPECT_EQ(m_model.nodeOf(m_model.indexOf(news->child(1))), news->child(1));
    EXPECT_EQ(m_model.groupSet(0)->child(1)->child(0)->channel(), nullptr)
        << "the note plays nothing";
    EXPECT_EQ(m_model.groupNamed(QStringLiteral("人気チャンネル")), m_model.groupSet(0)->child(2));
    EXPECT_EQ(m_model.groupNamed(QStringLiteral("空き")), nullptr) << "a group without rows";

    m_model.Clear();
    EXPECT_EQ(m_model.rowCount(), 0);
}

TEST_F(ChannelTreeModelTest, CollectionsComeAndGoAtTheTopAboveEverySet) {
    const ChannelNode* favourites =
        m_model.ReplaceGroup(nullptr, QStringLiteral("お気に入り"), 0, {channel(4), channel(1)});
    const ChannelNode* recents =
        m_model.ReplaceGroup(nullptr, QStringLiteral("最近見た"), 1, {channel(2)});
    ASSERT_NE(favourites, nullptr);
    EXPECT_TRUE(favourites->isCollection());
    EXPECT_EQ(Outline(m_model).mid(0, 7),
              (QStringList{"お気に入り", " シネマ2", " ニュース24", "最近見た", " 人気の一番",
                           "地上波", " ニュース"}));
    EXPECT_EQ(m_model.groupSet(2)->row(), 2) << "the list's sets move down";
    // The list's own rows stay what zapping and finding walk: a collection's copy is not one.
    EXPECT_EQ(m_model.channelRows().size(), 5);
    EXPECT_EQ(m_model.rowOf(channel(4))->parent()->text(), QStringLiteral("映画"));
    EXPECT_TRUE(ChannelTreeModel::inCollection(favourites->child(0)));
    EXPECT_FALSE(ChannelTreeModel::inCollection(m_model.rowOf(channel(4))));
    // A screen reader hears the playing mark; the row that goes takes its mark with it.
    m_model.setPlayingRow(favourites->child(0));
    EXPECT_EQ(m_model.indexOf(favourites->child(0)).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("シネマ2、再生中"));
    favourites = m_model.ReplaceGroup(favourites, QStringLiteral("お気に入り"), 0, {channel(0)});
    EXPECT_EQ(m_model.playingRow(), nullptr);

    // Replaced by a group with other channels, then by none: the group goes.
    favourites = m_model.ReplaceGroup(favourites, QStringLiteral("お気に入り"), 0, {channel(0)});
    EXPECT_EQ(favourites->child(0)->channel(), channel(0));
    EXPECT_EQ(m_model.ReplaceGroup(favourites, QStringLiteral("お気に入り"), 0, {}), nullptr);
    EXPECT_EQ(m_model.groupSet(0), recents);
    EXPECT_EQ(recents->row(), 0);

    ChannelTreeModel empty;
    EXPECT_EQ(empty.ReplaceGroup(nullptr, QStringLiteral("お気に入り"), 0, {channel(0)}), nullptr)
        << "no group set to hold it";
}

TEST_F(ChannelTreeModelTest, TheFilterShowsOnlyWhatWasFoundUnderItsGroups) {
    m_model.ReplaceGroup(nullptr, QStringLiteral("お気に入り"), 0, {channel(3), channel(0)});
    struct Case {
        QSet<const ChannelInfo*> found;
        QStringList outline;
    };
    const std::vector<Case> cases{
        {{channel(3)}, {"地上波", " ニュース", "  天気予報"}},
        {{channel(0), channel(1)},
         {"地上波", " ニュース", "  ニュース24", "BS", " 映画", "  シネマ1"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        m_filter.Show(c.found);
        EXPECT_TRUE(m_filter.active());
        EXPECT_EQ(Outline(m_filter), c.outline);
    }
    m_filter.Show({channel(4)});
    const ChannelNode* news = m_model.groupSet(1)->child(0);
    EXPECT_FALSE(m_filter.indexOf(news).isValid()) << "a hidden row has no place in the view";
    const ChannelNode* cinema2 = m_model.groupSet(2)->child(0)->child(1);
    EXPECT_EQ(m_filter.nodeOf(m_filter.indexOf(cinema2)), cinema2);

    m_filter.ShowAll();
    EXPECT_FALSE(m_filter.active());
    EXPECT_EQ(Outline(m_filter), Outline(m_model));
}
