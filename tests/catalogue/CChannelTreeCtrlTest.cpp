#include "catalogue/CChannelTreeCtrl.h"

#include "app/AppContext.h"
#include "app/Messages.h"
#include "catalogue/ChannelList.h"
#include "support/MessageCounter.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CChannelTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tree.resize(207, 120);
        m_group = m_tree.InsertChannelItem(nullptr, QStringLiteral("グループ"), 0, 0);
        for (int i = 0; i < 12; ++i) {
            QTreeWidgetItem* item = m_tree.InsertChannelItem(
                m_group, QStringLiteral("チャンネル %1").arg(i), 177, 176);
            if (i == 0) {
                m_channel.name = QStringLiteral("チャンネル 0 の本当の名前");
                CChannelTreeCtrl::setItemChannel(item, &m_channel);
            }
        }
        m_group->setExpanded(true);
        m_tree.show();
    }
    QPoint centreOf(QTreeWidgetItem* item) { return m_tree.visualItemRect(item).center(); }

    AppContext m_context;
    MessageCounter m_owner{Messages::kPlaySelected};
    CChannelTreeCtrl m_tree{m_context, &m_owner, nullptr};
    QTreeWidgetItem* m_group = nullptr;
    ChannelInfo m_channel;
};

}  // namespace

TEST_F(CChannelTreeCtrlTest, ClickOnAGroupOpensAndClosesIt) {
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    EXPECT_FALSE(m_group->isExpanded());
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    EXPECT_TRUE(m_group->isExpanded());
    // A channel is no group: clicking it changes nothing.
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group->child(0)));
    EXPECT_TRUE(m_group->isExpanded());
}

TEST_F(CChannelTreeCtrlTest, DoubleClickOnAChannelAsksToPlayItAndMarksIt) {
    m_context.currentChannelName = QStringLiteral("before");
    m_context.currentChannelId = QStringLiteral("7");
    QTreeWidgetItem* channel = m_group->child(0);
    m_tree.setCurrentItem(channel);
    QTest::mouseDClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(channel));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 1);
    EXPECT_EQ(m_tree.playingItem(), channel);
    EXPECT_EQ(m_context.selectedChannelName, QStringLiteral("チャンネル 0"));
    EXPECT_EQ(m_context.selectedChannel, &m_channel);
    EXPECT_EQ(m_context.previousChannelName, QStringLiteral("before"));
    EXPECT_EQ(m_context.previousChannelId, QStringLiteral("7"));

    // A group plays nothing.
    m_tree.setCurrentItem(m_group);
    QTest::mouseDClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 1);

    // The menu's play entry keeps the previous channel as it was.
    m_tree.playFromMenu(m_group->child(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 2);
    EXPECT_EQ(m_context.currentChannelName, QStringLiteral("チャンネル 1"));
    EXPECT_EQ(m_context.previousChannelName, QStringLiteral("before"));
    m_tree.ClearPlayingItem();
    EXPECT_EQ(m_tree.playingItem(), nullptr);
}

TEST_F(CChannelTreeCtrlTest, HotItemFollowsThePointerAndTheWheelDoesNotScroll) {
    QTreeWidgetItem* channel = m_group->child(2);
    QTest::mouseMove(m_tree.viewport(), centreOf(channel));
    EXPECT_EQ(m_tree.hotItem(), channel);
    ASSERT_GT(m_tree.verticalScrollBar()->maximum(), 0);
    const int before = m_tree.verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(50, 50), m_tree.mapToGlobal(QPointF(50, 50)), QPoint(0, -120),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_tree.viewport(), &wheel);
    EXPECT_EQ(m_tree.verticalScrollBar()->value(), before);
}
