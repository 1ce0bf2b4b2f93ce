#include "catalogue/CChannelTreeCtrl.h"

#include "catalogue/ChannelList.h"
#include "session/AppContext.h"
#include "support/MessageCounter.h"
#include "widgets/CGifDlg.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include <numeric>

#include <gtest/gtest.h>

namespace {

class CChannelTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tree.resize(207, 120);
        m_group = m_tree.InsertChannelItem(nullptr, QStringLiteral("グループ"), 0, 0);
        for (int i = 0; i < 12; ++i) {
            const ChannelNode* item =
                m_tree.InsertChannelItem(m_group, QStringLiteral("チャンネル %1").arg(i), 177, 176);
            if (i == 0) {
                m_channel = ChannelInfo(0, {}, QStringLiteral("チャンネル 0 の本当の名前"), {}, {});
                m_tree.setItemChannel(item, &m_channel);
            }
        }
        m_tree.setItemExpanded(m_group, true);
        m_tree.show();
    }
    QPoint centreOf(const ChannelNode* item) { return m_tree.visualItemRect(item).center(); }
    // The pointer resting over P, no button held.
    void hover(QPoint p) {
        QMouseEvent move(QEvent::MouseMove, p, m_tree.viewport()->mapToGlobal(p), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_tree.viewport(), &move);
    }

    AppContext m_context;
    MessageCounter m_owner{Messages::kPlaySelected};
    CChannelTreeCtrl m_tree{m_context.nowPlaying, *m_context.clock, &m_owner, nullptr};
    const ChannelNode* m_group = nullptr;
    ChannelInfo m_channel;
};

}  // namespace

TEST_F(CChannelTreeCtrlTest, ClickOnAGroupOpensAndClosesIt) {
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    EXPECT_FALSE(m_tree.isItemExpanded(m_group));
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    EXPECT_TRUE(m_tree.isItemExpanded(m_group));
    // A channel is no group: clicking it changes nothing.
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group->child(0)));
    EXPECT_TRUE(m_tree.isItemExpanded(m_group));
    // Pressed on a channel and released on the group (the rows moved under the pointer, as
    // when a played channel's recent group comes above it): no click on either.
    QTest::mousePress(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group->child(0)));
    QTest::mouseRelease(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    EXPECT_TRUE(m_tree.isItemExpanded(m_group));
}

TEST_F(CChannelTreeCtrlTest, DoubleClickOnAChannelAsksToPlayItAndMarksIt) {
    const ChannelInfo before(0, QStringLiteral("7"), {}, {}, {});
    m_context.nowPlaying.choose(QStringLiteral("before"), &before, false);
    m_context.nowPlaying.start(before);
    const ChannelNode* channel = m_group->child(0);
    m_tree.setCurrentItem(channel);
    QTest::mouseDClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(channel));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 1);
    EXPECT_EQ(m_tree.playingItem(), channel);
    EXPECT_EQ(m_context.nowPlaying.chosenLabel(), QStringLiteral("チャンネル 0"));
    EXPECT_EQ(m_context.nowPlaying.chosenRecord(), &m_channel);
    EXPECT_EQ(m_context.nowPlaying.previousName(), QStringLiteral("before"));
    EXPECT_EQ(m_context.nowPlaying.previousId(), QStringLiteral("7"));

    // A group plays nothing.
    m_tree.setCurrentItem(m_group);
    QTest::mouseDClick(m_tree.viewport(), Qt::LeftButton, {}, centreOf(m_group));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 1);

    // The menu's play entry keeps the previous channel as it was.
    m_tree.playFromMenu(m_group->child(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 2);
    EXPECT_EQ(m_context.nowPlaying.name(), QStringLiteral("チャンネル 1"));
    EXPECT_EQ(m_context.nowPlaying.previousName(), QStringLiteral("before"));
    m_tree.ClearPlayingItem();
    EXPECT_EQ(m_tree.playingItem(), nullptr);
}

TEST_F(CChannelTreeCtrlTest, HotItemFollowsThePointerAndTheWheelDoesNotScroll) {
    const ChannelNode* channel = m_group->child(2);
    hover(centreOf(channel));
    EXPECT_EQ(m_tree.hotItem(), channel);
    ASSERT_GT(m_tree.verticalScrollBar()->maximum(), 0);
    const int before = m_tree.verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(50, 50), m_tree.mapToGlobal(QPointF(50, 50)), QPoint(0, -120),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_tree.viewport(), &wheel);
    EXPECT_EQ(m_tree.verticalScrollBar()->value(), before);
}

namespace {

int countColour(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c(image.pixel(x, y));
            found += std::abs(c.red() - colour.red()) <= tolerance &&
                             std::abs(c.green() - colour.green()) <= tolerance &&
                             std::abs(c.blue() - colour.blue()) <= tolerance
                         ? 1
                         : 0;
        }
    }
    return found;
}

}  // namespace

TEST_F(CChannelTreeCtrlTest, RowsArePaintedInTheirStates) {
    m_tree.SetBackground(131);
    m_tree.SetExpandImages(129, 130, 0xFF00FF);
    const ChannelNode* selected = m_group->child(0);
    const ChannelNode* hot = m_group->child(1);
    const ChannelNode* playing = m_group->child(2);
    QApplication::setActiveWindow(&m_tree);
    m_tree.setFocus();
    ASSERT_TRUE(m_tree.hasFocus());
    m_tree.setCurrentItem(selected);
    hover(centreOf(hot));
    m_tree.playFromMenu(playing);
    QCoreApplication::processEvents();
    const QImage shot = m_tree.viewport()->grab().toImage();

    const QRect selectedRow = m_tree.visualItemRect(selected);
    const QRect hotRow = m_tree.visualItemRect(hot);
    const QRect playingRow = m_tree.visualItemRect(playing);
    // The selected channel's text is blue; the highlight box sits under selected and hot rows.
    EXPECT_GT(countColour(shot, selectedRow, CChannelTreeCtrl::kSelectedText, 40), 20);
    EXPECT_GT(countColour(shot, hotRow, CChannelTreeCtrl::kHighlightFill, 2), 200);
    EXPECT_GT(countColour(shot, selectedRow, CChannelTreeCtrl::kHighlightFill, 2), 200);
    EXPECT_GT(countColour(shot, hotRow, CChannelTreeCtrl::kHighlightFrame, 2), 50);
    EXPECT_EQ(countColour(shot, hotRow, CChannelTreeCtrl::kSelectedText, 40), 0);
    // The playing channel: green text and its two markers.
    EXPECT_GT(countColour(shot, playingRow, CChannelTreeCtrl::kPlayingText, 40), 20);
    const QImage arrow(QStringLiteral(":/bitmap/134"));
    const int textLeft = 2 * CChannelTreeCtrl::kIndent + 4;  // a channel sits two levels in
    const QPoint arrowAt(textLeft - 11, playingRow.top() + (playingRow.height() - 9) / 2);
    EXPECT_EQ(QColor(shot.pixel(arrowAt + QPoint(4, 4))), QColor(arrow.pixel(4, 4)));
    // A plain row has neither.
    const QRect plainRow = m_tree.visualItemRect(m_group->child(3));
    EXPECT_EQ(countColour(shot, plainRow, CChannelTreeCtrl::kHighlightFill, 0), 0);
    EXPECT_EQ(countColour(shot, plainRow, CChannelTreeCtrl::kPlayingText, 10), 0);
}

TEST_F(CChannelTreeCtrlTest, GroupMarksSitBesideTheirGroupsAndSwapOnClick) {
    const ChannelNode* latest = m_tree.InsertChannelItem(nullptr, QStringLiteral("最新更新"), 0, 0);
    m_tree.InsertChannelItem(latest, QStringLiteral("新番組"), 177, 176);
    m_tree.setItemExpanded(latest, true);
    m_tree.setPopularGroupItem(m_group);
    m_tree.setLatestGroupItem(latest);
    ASSERT_TRUE(m_tree.CreateGroupMarks());
    EXPECT_EQ(m_tree.popularMarkGif(), 246);
    EXPECT_EQ(m_tree.latestMarkGif(), 248);
    ASSERT_NE(m_tree.popularMark(), nullptr);
    const QRect row = m_tree.visualItemRect(m_group);
    EXPECT_GE(m_tree.popularMark()->x(), row.left() + 100);
    EXPECT_EQ(m_tree.popularMark()->y(),
              row.top() + (row.height() - m_tree.popularMark()->GetGifSize().height()) / 2);

    m_tree.clickItem(m_group);
    EXPECT_EQ(m_tree.popularMarkGif(), 247);
    EXPECT_EQ(m_tree.latestMarkGif(), 248);
    m_tree.clickItem(latest);
    EXPECT_EQ(m_tree.popularMarkGif(), 246);
    EXPECT_EQ(m_tree.latestMarkGif(), 249);
}

TEST_F(CChannelTreeCtrlTest, TheKeyboardMovesOpensClosesAndPlays) {
    m_tree.setFocus();
    m_tree.setCurrentItem(m_group);
    QTest::keyClick(&m_tree, Qt::Key_Left);
    EXPECT_FALSE(m_tree.isItemExpanded(m_group));
    QTest::keyClick(&m_tree, Qt::Key_Right);
    EXPECT_TRUE(m_tree.isItemExpanded(m_group));
    QTest::keyClick(&m_tree, Qt::Key_Right);
    EXPECT_EQ(m_tree.currentItem(), m_group->child(0)) << "Right on an open group steps into it";
    QTest::keyClick(&m_tree, Qt::Key_Down);
    EXPECT_EQ(m_tree.currentItem(), m_group->child(1));
    QTest::keyClick(&m_tree, Qt::Key_Up);
    EXPECT_EQ(m_tree.currentItem(), m_group->child(0));

    // Enter plays the chosen channel, as a double-click does.
    QTest::keyClick(&m_tree, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 1);
    EXPECT_EQ(m_tree.playingItem(), m_group->child(0));
    EXPECT_EQ(m_context.nowPlaying.chosenRecord(), &m_channel);

    // Left on a channel goes back to its group.
    QTest::keyClick(&m_tree, Qt::Key_Left);
    EXPECT_EQ(m_tree.currentItem(), m_group);
    QTest::keyClick(&m_tree, Qt::Key_Enter);
    EXPECT_FALSE(m_tree.isItemExpanded(m_group)) << "Enter on a group opens or closes it";
    EXPECT_EQ(m_owner.count, 1);
}

TEST_F(CChannelTreeCtrlTest, APlayedChannelIsScrolledWhollyIntoView) {
    // As zapping plays them, one after another, down the list and back up.
    m_tree.resize(207, 110);  // not a whole number of rows
    const QRect view = m_tree.viewport()->rect();
    std::vector<int> order(12);
    std::iota(order.begin(), order.end(), 0);
    order.insert(order.end(), order.rbegin(), order.rend());
    for (int row = 0; row < m_group->childCount(); ++row) {
        m_tree.setItemChannel(m_group->child(row), &m_channel);
    }
    for (const int row : order) {
        m_tree.playItem(m_group->child(row));
        QCoreApplication::processEvents();
        EXPECT_TRUE(view.contains(m_tree.visualItemRect(m_group->child(row)))) << "row " << row;
    }
    // A channel in a closed group: the group opens to show it.
    m_tree.clickItem(m_group);
    m_tree.playItem(m_group->child(7));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_tree.isItemExpanded(m_group));
    EXPECT_TRUE(view.contains(m_tree.visualItemRect(m_group->child(7))));
}

TEST_F(CChannelTreeCtrlTest, ALongNameIsCutWithAnEllipsisAndToldWholeInItsTip) {
    const ChannelNode* plain = m_group->child(1);
    EXPECT_EQ(m_tree.shownText(plain), plain->text()) << "a name that fits is drawn as it is";

    const ChannelInfo wide(0, {}, QStringLiteral("とても長い名前のチャンネル"), {}, {});
    const ChannelNode* row = m_tree.InsertChannelItem(m_group, wide.name().toString(), 177, 176);
    m_tree.setItemChannel(row, &wide);
    const QString shown = m_tree.shownText(row);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(wide.name().startsWith(shown.chopped(1)));

    m_tree.scrollToItem(row);
    QCoreApplication::processEvents();
    const QPoint at = m_tree.visualItemRect(row).center();
    QHelpEvent tip(QEvent::ToolTip, at, m_tree.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(m_tree.viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), wide.name());
}
