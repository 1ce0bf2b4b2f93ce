#include "mainwnd/CChannelNavigator.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "mainwnd/CChannelZapper.h"
#include "mainwnd/CMainDlg.h"
#include "playback/CDsopocx.h"
#include "playback/CVozorPlayerDlg.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "support/ManualClock.h"
#include "support/RefService.h"
#include "support/TreeRows.h"
#include "support/UiFixture.h"
#include "widgets/CSearchEdit.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Tells the keys pressed on the object it watches.
class KeyWatch : public QObject {
public:
    explicit KeyWatch(std::function<void(int)> seen) : m_seen(std::move(seen)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            m_seen(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }

private:
    std::function<void(int)> m_seen;
};

// The main window against the reference service's demo list, signed in as its demo user, with
// a state file of the test's own.
class CChannelNavigatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
        m_context.statePath = m_stateDir.filePath(QStringLiteral("state.ini"));
        m_context.session.SetSignedIn(1);
        m_context.session.SetUserId(QStringLiteral("demo@velo.example"));
        m_context.session.SetDisplayName(QStringLiteral("デモユーザー"));
        m_context.session.SetPassword(QStringLiteral("demo1234"));
        m_context.session.SetUseTime(36000000);
    }

    std::unique_ptr<CMainDlg> startWindow() {
        auto dialog = std::make_unique<CMainDlg>(m_session);
        QSignalSpy finished(dialog.get(), &CMainDlg::startupFinished);
        dialog->startUp();
        dialog->show();
        EXPECT_TRUE(finished.wait(20000));
        return dialog;
    }

    static QList<const ChannelNode*> visibleChannels(const CChannelTreeCtrl* tree) {
        QList<const ChannelNode*> shown;
        for (const ChannelNode* item : AllRows(tree)) {
            if (CChannelTreeCtrl::itemChannel(item) != nullptr && !tree->isItemHidden(item)) {
                shown << item;
            }
        }
        return shown;
    }
    static QStringList names(const QList<const ChannelNode*>& items) {
        QStringList texts;
        for (const ChannelNode* item : items) {
            texts << CChannelTreeCtrl::itemChannel(item)->name().toString();
        }
        return texts;
    }
    static const ChannelNode* groupNamed(const CChannelTreeCtrl* tree, const QString& name) {
        for (const ChannelNode* item : AllRows(tree)) {
            if (item->text() == name && item->childCount() > 0) {
                return item;
            }
        }
        return nullptr;
    }
    // The id of the channel the window asked the player for last.
    QString playing() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return m_context.nowPlaying.id();
    }
    static QStringList ids(const ChannelNode* group) {
        QStringList list;
        for (int i = 0; group != nullptr && i < group->childCount(); ++i) {
            list << CChannelTreeCtrl::itemChannel(group->child(i))->id().toString();
        }
        return list;
    }

    QTemporaryDir m_stateDir;
    ManualClock m_clock;
    UiFixture m_ui;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
    ClientSession m_session{m_context};
};

}  // namespace

TEST_F(CChannelNavigatorTest, SearchNarrowsTheListPlaysAMatchAndEscapePutsTheListBack) {
    auto dialog = startWindow();
    CChannelTreeCtrl* tree = dialog->tree();
    CSearchEdit* search = dialog->sidePanel().searchEdit();
    const ChannelNode* sports = groupNamed(tree, QStringLiteral("スポーツ"));
    ASSERT_NE(sports, nullptr);
    tree->clickItem(sports);  // the user closed one group
    const ChannelNode* chosen = groupNamed(tree, QStringLiteral("ニュース"))->child(2);
    tree->setCurrentItem(chosen);
    const int everything = static_cast<int>(visibleChannels(tree).size());

    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("anime"));
    EXPECT_EQ(
        names(visibleChannels(tree)),
        (QStringList{QStringLiteral("アニメ・ステーション"), QStringLiteral("深夜アニメプラス"),
                     QStringLiteral("アニメ・ステーション"), QStringLiteral("キッズアニメ"),
                     QStringLiteral("懐かしアニメ劇場"), QStringLiteral("深夜アニメプラス")}));
    EXPECT_TRUE(tree->isItemHidden(groupNamed(tree, QStringLiteral("ニュース"))));
    EXPECT_TRUE(tree->isItemHidden(groupNamed(tree, QStringLiteral("教養・海外"))))
        << "a set with no match";
    EXPECT_TRUE(tree->isItemExpanded(groupNamed(tree, QStringLiteral("アニメ"))));

    // Narrower as the user goes on typing; Down moves into the results.
    QTest::keyClicks(search, QStringLiteral("suteeshon"));
    EXPECT_EQ(names(visibleChannels(tree)), (QStringList{QStringLiteral("アニメ・ステーション"),
                                                         QStringLiteral("アニメ・ステーション")}));
    QTest::keyClick(search, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), visibleChannels(tree).front());

    // Enter in the field plays the chosen match.
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(playing(), QStringLiteral("401"));
    ASSERT_NE(tree->playingItem(), nullptr);
    // The recent group that the played channel made stays out of the results.
    ASSERT_NE(tree->recentGroupItem(), nullptr);
    EXPECT_TRUE(tree->isItemHidden(tree->recentGroupItem()));
    EXPECT_EQ(visibleChannels(tree).size(), 2);

    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_EQ(search->text(), CSearchEdit::kCue);
    EXPECT_EQ(static_cast<int>(visibleChannels(tree).size()), everything + 1)
        << "with the recent one";
    EXPECT_FALSE(tree->isItemExpanded(sports)) << "the closed group stays closed";
    EXPECT_TRUE(tree->isItemExpanded(groupNamed(tree, QStringLiteral("ニュース"))));
    EXPECT_EQ(tree->currentItem(), chosen);
    EXPECT_EQ(CChannelTreeCtrl::itemChannel(tree->playingItem())->id(), QStringLiteral("401"));

    // Digits typed into the field search by id; they do not change the channel.
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("50"));
    EXPECT_EQ(names(visibleChannels(tree)),
              (QStringList{QStringLiteral("J-POPヒッツ"), QStringLiteral("J-POPヒッツ"),
                           QStringLiteral("クラシック音楽館"), QStringLiteral("ライブ・コンサート"),
                           QStringLiteral("演歌・歌謡曲")}));
    EXPECT_TRUE(dialog->navigator()->zapper().typedDigits().isEmpty());
}

TEST_F(CChannelNavigatorTest, ASearchThatFindsNothingSaysSoAndEscapeInTheListEndsIt) {
    auto dialog = startWindow();
    QApplication::setActiveWindow(dialog.get());
    CChannelTreeCtrl* tree = dialog->tree();
    CSearchEdit* search = dialog->sidePanel().searchEdit();
    const auto everything = visibleChannels(tree).size();
    EXPECT_TRUE(tree->emptyNote().isEmpty());

    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("zzqx"));
    EXPECT_TRUE(visibleChannels(tree).isEmpty());
    EXPECT_EQ(tree->emptyNote(), CChannelTreeCtrl::kNoMatchText);
    // The note is drawn where the rows would be, in the rows' white.
    const QImage shot = tree->viewport()->grab().toImage();
    int lit = 0;
    for (int y = 0; y < 2 * CChannelTreeCtrl::kRowHeight; ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            lit += qGray(shot.pixel(x, y)) > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 40);

    tree->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), tree);
    QTest::keyClick(tree, Qt::Key_Escape);
    EXPECT_EQ(search->text(), CSearchEdit::kCue);
    EXPECT_EQ(visibleChannels(tree).size(), everything);
    EXPECT_TRUE(tree->emptyNote().isEmpty());
}

TEST_F(CChannelNavigatorTest, FavouritesAndRecentsShowFirstAndComeBackAfterARestartAndANewList) {
    {
        auto dialog = startWindow();
        CChannelTreeCtrl* tree = dialog->tree();
        EXPECT_EQ(tree->favouritesGroupItem(), nullptr) << "no group while it is empty";
        EXPECT_EQ(tree->recentGroupItem(), nullptr);
        ASSERT_TRUE(tree->isFavourite);
        const ChannelInfo* cinema =
            CChannelTreeCtrl::itemChannel(groupNamed(tree, QStringLiteral("映画"))->child(2));
        ASSERT_EQ(cinema->id(), QStringLiteral("303"));
        emit tree->favouriteToggled(cinema);  // as the channel menu's entry does
        EXPECT_TRUE(tree->isFavourite(cinema));
        ASSERT_NE(tree->favouritesGroupItem(), nullptr);
        EXPECT_EQ(tree->favouritesGroupItem()->text(0), CChannelTreeCtrl::kFavouritesGroupName);
        EXPECT_EQ(tree->topLevelItem(0), tree->favouritesGroupItem()) << "above every set";
        EXPECT_EQ(ids(tree->favouritesGroupItem()), QStringList{QStringLiteral("303")});

        tree->playItem(groupNamed(tree, QStringLiteral("スポーツ"))->child(1));
        EXPECT_EQ(playing(), QStringLiteral("202"));
        tree->playItem(tree->favouritesGroupItem()->child(0));  // played from the favourites
        EXPECT_EQ(playing(), QStringLiteral("303"));
        ASSERT_NE(tree->recentGroupItem(), nullptr);
        EXPECT_EQ(tree->topLevelItem(1), tree->recentGroupItem());
        EXPECT_EQ(ids(tree->recentGroupItem()),
                  (QStringList{QStringLiteral("303"), QStringLiteral("202")}));
        // The playing mark stayed with the channel.
        EXPECT_EQ(CChannelTreeCtrl::itemChannel(tree->playingItem())->id(), QStringLiteral("303"));
        // A favourite that is one no more leaves its group; the group goes with its last one.
        emit tree->favouriteToggled(cinema);
        EXPECT_EQ(tree->favouritesGroupItem(), nullptr);
        emit tree->favouriteToggled(cinema);
        dialog->navigator()->saveWindow(false);
    }
    auto dialog = startWindow();
    CChannelTreeCtrl* tree = dialog->tree();
    EXPECT_EQ(ids(tree->favouritesGroupItem()), QStringList{QStringLiteral("303")});
    EXPECT_EQ(ids(tree->recentGroupItem()),
              (QStringList{QStringLiteral("303"), QStringLiteral("202")}));

    // A list without the favourite: the group goes, and comes back with the channel.
    QFile list(m_service.programFolder() + QStringLiteral("/tvchannel.xml"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><list><groups name=\"新\"><group name=\"g\">"
        "<channel id=\"202\"><name>スポーツライブ2</name><vip>0</vip></channel>"
        "</group></groups></list>");
    list.close();
    ASSERT_EQ(dialog->FillChannelTree(), 1);
    EXPECT_EQ(tree->favouritesGroupItem(), nullptr);
    EXPECT_EQ(ids(tree->recentGroupItem()), QStringList{QStringLiteral("202")});
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><list><groups name=\"新\"><group name=\"g\">"
        "<channel id=\"303\"><name>洋画プレミアム</name><vip>1</vip></channel>"
        "<channel id=\"202\"><name>スポーツライブ2</name><vip>0</vip></channel>"
        "</group></groups></list>");
    list.close();
    ASSERT_EQ(dialog->FillChannelTree(), 1);
    EXPECT_EQ(ids(tree->favouritesGroupItem()), QStringList{QStringLiteral("303")});

    // Another user has favourites of their own.
    m_context.session.SetUserId(QStringLiteral("taro@velo.example"));
    dialog->refreshStatus();
    EXPECT_EQ(tree->favouritesGroupItem(), nullptr);
    EXPECT_EQ(tree->recentGroupItem(), nullptr);
}

TEST_F(CChannelNavigatorTest, ZappingStepsThroughTheListAndDigitsChooseById) {
    auto dialog = startWindow();
    CChannelTreeCtrl* tree = dialog->tree();
    const QList<const ChannelNode*> order = tree->channelItems();
    ASSERT_GT(order.size(), 10);
    tree->setFocus();

    // Before anything plays, the first step down plays the first channel; up from it, the last.
    QTest::keyClick(tree, Qt::Key_PageDown);
    EXPECT_EQ(playing(), QStringLiteral("101"));
    QTest::keyClick(tree, Qt::Key_PageUp);
    EXPECT_EQ(playing(), CChannelTreeCtrl::itemChannel(order.back())->id());
    QTest::keyClick(tree, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(playing(), QStringLiteral("101"));
    QTest::keyClick(tree, Qt::Key_PageDown);
    EXPECT_EQ(playing(), QStringLiteral("201"));
    // The player announces the channel on its picture; the window adds no banner of its own.
    EXPECT_TRUE(dialog->navigator()->zapper().digitsOverlay() == nullptr ||
                dialog->navigator()->zapper().digitsOverlay()->isHidden());

    // From the last channel of one group set to the first of the next.
    tree->playItem(groupNamed(tree, QStringLiteral("スポーツ"))->child(4));
    EXPECT_EQ(playing(), QStringLiteral("205"));
    QTest::keyClick(tree, Qt::Key_PageDown);
    EXPECT_EQ(playing(), QStringLiteral("301"));
    QTest::keyClick(dialog->player(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(playing(), QStringLiteral("205"));

    // Backspace goes back to the channel before, and back again.
    QTest::keyClick(tree, Qt::Key_Backspace);
    EXPECT_EQ(playing(), QStringLiteral("301"));
    QTest::keyClick(tree, Qt::Key_Backspace);
    EXPECT_EQ(playing(), QStringLiteral("205"));

    // Digits show on the picture as they are typed and play once the user pauses.
    QTest::keyClick(tree, Qt::Key_5);
    QTest::keyClick(tree, Qt::Key_0);
    QTest::keyClick(tree, Qt::Key_2);
    EXPECT_EQ(dialog->navigator()->zapper().typedDigits(), QStringLiteral("502"));
    ASSERT_NE(dialog->navigator()->zapper().digitsOverlay(), nullptr);
    EXPECT_TRUE(dialog->navigator()->zapper().digitsOverlay()->isVisible());
    EXPECT_EQ(dialog->navigator()->zapper().digitsOverlay()->text(), QStringLiteral("502"));
    m_clock.advance(CChannelZapper::kDigitPauseMs - 100);
    EXPECT_EQ(playing(), QStringLiteral("205")) << "not before the pause is over";
    m_clock.advance(100);
    EXPECT_EQ(playing(), QStringLiteral("502"));
    EXPECT_TRUE(dialog->navigator()->zapper().digitsOverlay()->isHidden())
        << "the typed number gives way to the player's announcement";

    // Enter does not wait; an id that no channel has plays nothing and says so.
    QTest::keyClick(tree, Qt::Key_7);
    QTest::keyClick(tree, Qt::Key_0);
    QTest::keyClick(tree, Qt::Key_1);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(playing(), QStringLiteral("701"));
    QTest::keyClick(tree, Qt::Key_9);
    QTest::keyClick(tree, Qt::Key_9);
    QTest::keyClick(tree, Qt::Key_Enter);
    EXPECT_EQ(playing(), QStringLiteral("701"));
    EXPECT_EQ(dialog->navigator()->zapper().digitsOverlay()->text(),
              CChannelZapper::kNoSuchChannel.arg(QStringLiteral("99")));

    // The full-screen keys reach the player's control from the list too; in the search field F
    // is a letter.
    QWidget* control = dialog->player()->control().window();
    ASSERT_NE(control, nullptr);
    QList<int> reached;
    KeyWatch watch([&reached](int key) { reached << key; });
    control->installEventFilter(&watch);
    QTest::keyClick(tree, Qt::Key_F11);
    QTest::keyClick(tree, Qt::Key_F);
    QTest::keyClick(dialog->sidePanel().searchEdit(), Qt::Key_F);
    EXPECT_EQ(reached, (QList<int>{Qt::Key_F11, Qt::Key_F}));
}

TEST_F(CChannelNavigatorTest, TheWindowTheClosedGroupsAndTheLastChannelComeBack) {
    QRect placed;
    QString closedSet;
    {
        auto dialog = startWindow();
        dialog->setGeometry(QRect(40, 30, 900, 600));
        placed = dialog->geometry();
        dialog->tree()->clickItem(groupNamed(dialog->tree(), QStringLiteral("映画")));
        closedSet = dialog->tree()->topLevelItem(2)->text();
        dialog->tree()->clickItem(dialog->tree()->topLevelItem(2));
        dialog->tree()->playItem(groupNamed(dialog->tree(), QStringLiteral("音楽"))->child(1));
        EXPECT_EQ(playing(), QStringLiteral("502"));
        dialog->hideSidePanel();
        dialog->navigator()->saveWindow(dialog->sideHidden());
    }
    // A new run: nothing has played yet.
    m_context.nowPlaying.start(ChannelInfo{});
    {
        auto dialog = startWindow();
        CChannelTreeCtrl* tree = dialog->tree();
        EXPECT_EQ(dialog->geometry().topLeft(), placed.topLeft());
        EXPECT_EQ(dialog->width(), placed.width() - CMainDlg::kSidePanelWidth);
        EXPECT_TRUE(dialog->sideHidden());
        EXPECT_FALSE(tree->isItemExpanded(groupNamed(tree, QStringLiteral("映画"))));
        EXPECT_TRUE(tree->isItemExpanded(groupNamed(tree, QStringLiteral("音楽"))));
        const ChannelNode* set = nullptr;
        for (int s = 0; s < tree->topLevelItemCount(); ++s) {
            set = tree->topLevelItem(s)->text() == closedSet ? tree->topLevelItem(s) : set;
        }
        ASSERT_NE(set, nullptr);
        EXPECT_FALSE(tree->isItemExpanded(set));
        // The last channel is chosen, but plays only when the user asked for that; the playing
        // mark shows only what plays.
        ASSERT_NE(tree->currentItem(), nullptr);
        EXPECT_EQ(CChannelTreeCtrl::itemChannel(tree->currentItem())->id(), QStringLiteral("502"));
        EXPECT_EQ(tree->playingItem(), nullptr);
        EXPECT_TRUE(playing().isEmpty());
        dialog->showSidePanel();
        dialog->navigator()->state().playLastOnStart = true;
        dialog->navigator()->saveWindow(dialog->sideHidden());
    }
    auto dialog = startWindow();
    EXPECT_FALSE(dialog->sideHidden());
    EXPECT_EQ(dialog->size(), placed.size());
    EXPECT_EQ(playing(), QStringLiteral("502"));
    ASSERT_NE(dialog->tree()->playingItem(), nullptr);
    EXPECT_EQ(CChannelTreeCtrl::itemChannel(dialog->tree()->playingItem())->id(),
              QStringLiteral("502"));
}

TEST_F(CChannelNavigatorTest, ANonsenseStateFileIsIgnoredAndReplaced) {
    QFile state(m_context.statePath);
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write(QByteArray("[Window]\nGeometry=1,2,3\0\xff\xfe garbage", 32));
    state.close();
    auto dialog = startWindow();
    EXPECT_EQ(dialog->size(), QSize(800, 530));
    EXPECT_FALSE(dialog->sideHidden());
    dialog->navigator()->saveWindow(false);
    UserState reread(m_context.statePath);
    EXPECT_TRUE(reread.load());
    EXPECT_EQ(reread.geometry.size(), QSize(800, 530));
}

TEST_F(CChannelNavigatorTest, TheWindowMenuSaysWhetherTheLastChannelPlaysAtStart) {
    auto dialog = startWindow();
    QMenu menu;
    dialog->navigator()->addMenuItems(menu);
    ASSERT_EQ(menu.actions().size(), 1);
    QAction* playLast = menu.actions().front();
    EXPECT_EQ(playLast->text(), CChannelNavigator::kPlayLastItem);
    EXPECT_TRUE(playLast->isCheckable());
    EXPECT_FALSE(playLast->isChecked()) << "off until the user turns it on";
    playLast->trigger();
    UserState saved(m_context.statePath);
    ASSERT_TRUE(saved.load());
    EXPECT_TRUE(saved.playLastOnStart);
}

TEST_F(CChannelNavigatorTest, KanjiNamesAreFoundByTheirReading) {
    auto dialog = startWindow();
    CChannelTreeCtrl* tree = dialog->tree();
    CSearchEdit* search = dialog->sidePanel().searchEdit();
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("tenki"));
    EXPECT_EQ(names(visibleChannels(tree)), QStringList{QStringLiteral("天気と交通情報")});
    search->clear();
    search->insert(QStringLiteral("おんがく"));
    EXPECT_EQ(names(visibleChannels(tree)), QStringList{QStringLiteral("クラシック音楽館")});
}
