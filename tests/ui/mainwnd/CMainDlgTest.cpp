#include "mainwnd/CMainDlg.h"

#include "account/CLoginDlg.h"
#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "mainwnd/CClientArea.h"
#include "mainwnd/CTVProgramDlg.h"
#include "mainwnd/CTrayIcon.h"
#include "playback/CVozorPlayerDlg.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "support/ManualClock.h"
#include "support/QtWait.h"
#include "support/RefService.h"
#include "support/TreeRows.h"
#include "support/UiFixture.h"
#include "update/CUpdateDlg.h"
#include "widgets/CGifDlg.h"
#include "widgets/CMenuEx.h"
#include "widgets/CMyToolTip.h"
#include "widgets/CSearchEdit.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CMainDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
        m_context.session.SetSignedIn(0);
        m_context.session.SetUseTime(0);
    }

    // Starts the window and waits for its start-up to finish; the result says whether the
    // channel list came.
    bool start(CMainDlg& dialog) {
        QSignalSpy finished(&dialog, &CMainDlg::startupFinished);
        dialog.startUp();
        dialog.show();
        EXPECT_TRUE(finished.wait(20000));
        return !finished.isEmpty() && finished.front().front().toBool();
    }
    void signInAs(const QString& id, const QString& password, int useTime) {
        m_context.session.SetSignedIn(1);
        m_context.session.SetUserId(id);
        m_context.session.SetDisplayName(id);
        m_context.session.SetPassword(password);
        m_context.session.SetUseTime(useTime);
    }
    static const ChannelNode* itemWhere(const CChannelTreeCtrl* tree,
                                        const std::function<bool(const ChannelNode*)>& test) {
        for (const ChannelNode* item : AllRows(tree)) {
            if (test(item)) {
                return item;
            }
        }
        return nullptr;
    }
    // Chooses ITEM in the list the way a double-click does and lets the window react.
    void playItem(CMainDlg& dialog, const ChannelNode* item) {
        dialog.tree()->setCurrentItem(item);
        dialog.tree()->playSelected();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QStringList playCalls() const {
        return m_ui.controlCalls().filter(QRegularExpression("^(11|21|100)( |$)"));
    }

    ManualClock m_clock;
    UiFixture m_ui;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
    ClientSession m_session{m_context};
};

}  // namespace

TEST_F(CMainDlgTest, StartUpFillsTheListFromTheService) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    EXPECT_EQ(dialog.windowTitle(), CMainDlg::kTitle);
    EXPECT_EQ(dialog.size(), QSize(800, 530));
    const CChannelTreeCtrl* tree = dialog.tree();
    EXPECT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_NE(itemWhere(tree, [](const ChannelNode* i) { return i->text(0) == kEmptyGroupLabel; }),
              nullptr);
    ASSERT_NE(dialog.tree()->popularGroupItem(), nullptr);
    EXPECT_EQ(dialog.tree()->popularGroupItem()->text(0), QStringLiteral("人気チャンネル"));
    ASSERT_NE(dialog.tree()->latestGroupItem(), nullptr);
    EXPECT_TRUE(dialog.tree()->isItemExpanded(dialog.tree()->latestGroupItem()));
    // A long name is cut and VIP channels marked.
    EXPECT_NE(itemWhere(tree, [](const ChannelNode* i) { return i->text(0).endsWith(".."); }),
              nullptr);
    EXPECT_NE(itemWhere(tree, [](const ChannelNode* i) { return i->text(0).endsWith("  VIP"); }),
              nullptr);
    EXPECT_FALSE(dialog.retryPending());
    EXPECT_EQ(dialog.statusLine()->text(), CMainDlg::kPleaseSignIn);
    // The client area lies inside the painted frame; the list at its right, below the header and
    // the search field, which stands where the list's strip begins.
    const QSize client = dialog.clientArea()->size();
    EXPECT_EQ(dialog.clientArea()->geometry(), dialog.rect() - dialog.frame().margins());
    const int below = CSearchEdit::kHeight + 3;
    EXPECT_EQ(tree->geometry(),
              QRect(client.width() - 210, 31 + below, 207, client.height() - 72 - 31 - below));
    EXPECT_EQ(dialog.sidePanel().searchEdit()->geometry(),
              QRect(client.width() - 208, 32, 203, CSearchEdit::kHeight));
    EXPECT_EQ(dialog.sidePanel().searchEdit()->text(), CSearchEdit::kCue);
    EXPECT_EQ(dialog.player()->geometry(), QRect(2, 0, client.width() - 219, client.height() - 3));
}

TEST_F(CMainDlgTest, MissingListShowsTheRetryNoticeAndTheRetryFillsTheList) {
    m_service.script(QStringLiteral("/tvprogram.action"), QStringLiteral("reply"), {}, 500);
    CMainDlg dialog(m_session);
    EXPECT_FALSE(start(dialog));
    EXPECT_TRUE(dialog.retryPending());
    ASSERT_NE(dialog.retryNotice(), nullptr);
    EXPECT_TRUE(dialog.retryNotice()->isVisible());
    EXPECT_EQ(dialog.retryNotice()->countdownText(), QStringLiteral("10秒後再びダウンロード！"));
    EXPECT_EQ(dialog.tree()->topLevelItemCount(), 0);

    // The notice's own button asks the window for the retry; after one that fails, the notice
    // counts down again once a short pause is over.
    QSignalSpy retried(&dialog, &CMainDlg::channelListRetried);
    const QPoint button = dialog.retryNotice()->buttonRect().center();
    const auto pressRetry = [&dialog, button] {
        QTest::mousePress(dialog.retryNotice(), Qt::LeftButton, {}, button);
        QTest::mouseRelease(dialog.retryNotice(), Qt::LeftButton, {}, button);
    };
    m_service.script(QStringLiteral("/tvprogram.action"), QStringLiteral("reply"), {}, 500);
    pressRetry();
    ASSERT_TRUE(retried.wait(20000));
    EXPECT_FALSE(retried.takeFirst().front().toBool());
    m_clock.advance(CMainDlg::kRetryPauseMs - 1);
    EXPECT_TRUE(dialog.retryNotice()->retryRequested());
    m_clock.advance(1);
    EXPECT_FALSE(dialog.retryNotice()->retryRequested());
    EXPECT_EQ(dialog.retryNotice()->countdownText(), QStringLiteral("10秒後再びダウンロード！"));

    pressRetry();
    ASSERT_TRUE(retried.wait(20000));
    EXPECT_TRUE(retried.front().front().toBool());
    EXPECT_FALSE(dialog.retryPending());
    EXPECT_FALSE(dialog.retryNotice()->isVisible());
    EXPECT_EQ(dialog.tree()->topLevelItemCount(), 3);
}

TEST_F(CMainDlgTest, RememberedLoginSignsInAtStart) {
    ConfigFile(m_service.programFolder())
        .writeUserInfo(SavedLogin::MakeRecord(QStringLiteral("demo@velo.example"),
                                              QStringLiteral("demo1234"), m_clock.now().date()));
    CMainDlg dialog(m_session);
    QSignalSpy signedIn(&dialog, &CMainDlg::autoSignInFinished);
    start(dialog);
    if (signedIn.isEmpty()) {
        ASSERT_TRUE(signedIn.wait(10000));
    }
    EXPECT_TRUE(signedIn.front().front().toBool());
    EXPECT_EQ(dialog.statusLine()->text(), CMainDlg::kWelcome + QStringLiteral("デモユーザー"));
    EXPECT_TRUE(dialog.useTimeTimerActive());
}

TEST_F(CMainDlgTest, PlayWhileSignedOutAsksToSignInAndCancellingPlaysNothing) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    const ChannelNode* channel = itemWhere(dialog.tree(), [](const ChannelNode* i) {
        return CChannelTreeCtrl::itemChannel(i) != nullptr;
    });
    ASSERT_NE(channel, nullptr);
    m_ui.clearControlCalls();
    bool sawLogin = false;
    UiFixture::whenModalOpens([&sawLogin](QWidget* modal) {
        if (auto* login = qobject_cast<CLoginDlg*>(modal)) {
            sawLogin = true;
            login->closeButton()->click();
        }
    });
    playItem(dialog, channel);
    ASSERT_SOON(sawLogin, 5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.tree()->playingItem(), nullptr);
    EXPECT_TRUE(playCalls().isEmpty());
    EXPECT_FALSE(dialog.useTimeTimerActive());
}

TEST_F(CMainDlgTest, NoViewingTimeLeftWarnsOnceAndPlaysNothing) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    signInAs(QStringLiteral("empty@velo.example"), QStringLiteral("empty1234"), 0);
    m_ui.clearControlCalls();
    const ChannelNode* channel = itemWhere(dialog.tree(), [](const ChannelNode* i) {
        return CChannelTreeCtrl::itemChannel(i) != nullptr;
    });
    playItem(dialog, channel);
    ASSERT_NE(dialog.useTimeMessage(), nullptr);
    EXPECT_EQ(dialog.useTimeMessage()->text(), CMainDlg::kNoBalance);
    EXPECT_TRUE(dialog.useTimeTimerActive()) << "the check runs on although nothing plays";
    EXPECT_TRUE(playCalls().isEmpty());

    // The two-minute check finds no time either, while the message is still open: one message.
    QMessageBox* first = dialog.useTimeMessage();
    dialog.checkUseTime();
    ASSERT_SOON(!dialog.balancePending(), 5000);
    EXPECT_EQ(dialog.useTimeMessage(), first);
    EXPECT_EQ(dialog.findChildren<QMessageBox*>().size(), 1);
}

TEST_F(CMainDlgTest, ShortenedOrMarkedLabelsStillPlayTheirChannel) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    signInAs(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), 3600);
    for (const QString& ending : {QStringLiteral(".."), QStringLiteral("  VIP")}) {
        const ChannelNode* item = itemWhere(dialog.tree(), [&ending](const ChannelNode* i) {
            return CChannelTreeCtrl::itemChannel(i) != nullptr && i->text(0).endsWith(ending);
        });
        ASSERT_NE(item, nullptr) << ending.toStdString();
        const ChannelInfo* channel = CChannelTreeCtrl::itemChannel(item);
        ASSERT_NE(item->text(0), channel->name());
        m_ui.clearControlCalls();
        playItem(dialog, item);
        EXPECT_EQ(
            playCalls(),
            (QStringList{QStringLiteral("11 QString:") + channel->address().toString(),
                         QStringLiteral("21 QString:") + item->text(0), QStringLiteral("100")}));
        EXPECT_EQ(m_context.nowPlaying.id(), channel->id());
        EXPECT_EQ(dialog.tree()->playingItem(), item);
    }
}

TEST_F(CMainDlgTest, PlaceholderMatchesNoChannelAndPlaysNothing) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    signInAs(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), 3600);
    const ChannelNode* placeholder = itemWhere(
        dialog.tree(), [](const ChannelNode* i) { return i->text(0) == kEmptyGroupLabel; });
    ASSERT_NE(placeholder, nullptr);
    m_ui.clearControlCalls();
    dialog.tree()->playFromMenu(placeholder);
    QCoreApplication::processEvents();
    EXPECT_TRUE(playCalls().isEmpty());
}

TEST_F(CMainDlgTest, CloseSequenceRunsItsOnceOnlyStepsOnce) {
    const QString folder = m_service.programFolder();
    const QString marker = QDir(folder).filePath(QStringLiteral("companion.log"));
    QFile companion(QDir(folder).filePath(QStringLiteral("Advertise.exe")));
    ASSERT_TRUE(companion.open(QIODevice::WriteOnly));
    companion.write("#!/bin/sh\necho started >> '" + marker.toUtf8() + "'\n");
    companion.close();
    companion.setPermissions(companion.permissions() | QFileDevice::ExeOwner);

    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    ASSERT_TRUE(QFile::exists(QDir(folder).filePath(QStringLiteral("tvchannel.xml"))));
    signInAs(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), 3600);
    ASSERT_EQ(dialog.closeCount(), 1);

    QSignalSpy finished(&dialog, &CMainDlg::closeSequenceFinished);
    dialog.close();
    m_clock.advance(ClientSession::kCompanionDelayMs);  // the pause before the companion starts
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!logout.action")), 1);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("tvchannel.xml"))));
    ASSERT_SOON(QFile::exists(marker), 5000);

    // A second close in the same run neither starts the companion nor signs out again.
    QFile list(QDir(folder).filePath(QStringLiteral("tvchannel.xml")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.close();
    CMainDlg again(m_session);
    QSignalSpy finishedAgain(&again, &CMainDlg::closeSequenceFinished);
    again.runCloseSequence();
    ASSERT_EQ(finishedAgain.size(), 1);
    EXPECT_EQ(again.closeCount(), 2);
    QFile log(marker);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count('\n'), 1);
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath(QStringLiteral("tvchannel.xml"))));
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!logout.action")), 1);
}

TEST_F(CMainDlgTest, SidePanelHidesAndShowsByTheRules) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    const int playerWidth = dialog.player()->width();
    dialog.hideButton()->click();
    EXPECT_TRUE(dialog.sideHidden());
    EXPECT_EQ(dialog.width(), 800 - 208);
    EXPECT_EQ(dialog.player()->width(), playerWidth + 210 - 208)
        << "the window shrinks and the list's strip goes to the player";
    EXPECT_TRUE(dialog.tree()->isHidden());
    EXPECT_TRUE(dialog.statusLine()->isHidden());
    EXPECT_FALSE(dialog.showButton()->isHidden());
    EXPECT_TRUE(dialog.hideButton()->isHidden());
    dialog.showButton()->click();
    EXPECT_FALSE(dialog.sideHidden());
    EXPECT_EQ(dialog.width(), 800);
    EXPECT_EQ(dialog.player()->width(), playerWidth);
    EXPECT_FALSE(dialog.tree()->isHidden());
}

TEST_F(CMainDlgTest, SidePanelWhileMaximisedWidensThePlayer) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    dialog.setWindowState(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.isMaximized());
    const QSize size = dialog.size();
    const int playerWidth = dialog.player()->width();
    dialog.hideButton()->click();
    EXPECT_EQ(dialog.size(), size);
    EXPECT_EQ(dialog.player()->width(), playerWidth + 208);
    EXPECT_TRUE(dialog.tree()->isHidden());
    dialog.showButton()->click();
    EXPECT_EQ(dialog.player()->width(), playerWidth);
}

TEST_F(CMainDlgTest, LongDisplayNameIsCutToFitTheStatusLine) {
    CMainDlg dialog(m_session);
    dialog.startUp();
    dialog.show();  // laid out: the line and the button at their places
    m_context.session.SetSignedIn(1);
    m_context.session.SetDisplayName(
        QStringLiteral("とても長い表示名のユーザーさんです本当に長い"));
    dialog.refreshStatus();
    const QString shown = dialog.statusLine()->text();
    EXPECT_TRUE(shown.startsWith(CMainDlg::kWelcome));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("...")));
    EXPECT_LE(QFontMetrics(dialog.statusLine()->font()).horizontalAdvance(shown),
              dialog.statusLine()->width());
    // Nothing of it is under the sign-in button, which stands over the line's right end.
    EXPECT_LE(dialog.statusLine()->x() +
                  QFontMetrics(dialog.statusLine()->font()).horizontalAdvance(shown),
              dialog.signInButton()->x());
}

TEST_F(CMainDlgTest, EscapeAndEnterDoNotCloseTheWindow) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CMainDlgTest, ASecondStartRaisesOnlyAWindowThatIsUpAndNotClosing) {
    CMainDlg dialog(m_session);
    // Still starting: the window comes up by itself when it is ready, not earlier.
    dialog.restoreAndRaise();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(start(dialog));
    dialog.showMinimized();
    ASSERT_SOON(dialog.isMinimized(), 5000);
    dialog.restoreAndRaise();
    ASSERT_SOON(!dialog.isMinimized(), 5000);
    EXPECT_TRUE(dialog.isVisible());

    // Closing: the hidden window stays hidden.
    QSignalSpy finished(&dialog, &CMainDlg::closeSequenceFinished);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    dialog.restoreAndRaise();
    EXPECT_FALSE(dialog.isVisible());
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(10000));
    }
    dialog.restoreAndRaise();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CMainDlgTest, AMandatoryUpdateRefusedEndsTheClient) {
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"), QStringLiteral("x#"));
    CMainDlg dialog(m_session);
    QSignalSpy closed(&dialog, &CMainDlg::closeSequenceFinished);
    bool prompted = false;
    UiFixture::whenModalOpens([&prompted](QWidget* modal) {
        if (auto* prompt = qobject_cast<CUpdateDlg*>(modal)) {
            prompted = true;
            EXPECT_EQ(prompt->size(), QSize(300, 170));
            EXPECT_EQ(prompt->updateButton()->geometry(), QRect(85, 135, 97, 22));
            EXPECT_EQ(prompt->closeButton()->geometry(), QRect(280, 10, 10, 10));
            prompt->closeButton()->click();
        }
    });
    ASSERT_TRUE(start(dialog));
    ASSERT_SOON(prompted, 15000);
    EXPECT_EQ_SOON(closed.size(), 1, 15000);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CMainDlgTest, AcceptingTheUpdateWithoutAnUpdaterLeavesTheClientRunning) {
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"), QStringLiteral("x#"));
    CMainDlg dialog(m_session);
    bool accepted = false;
    UiFixture::whenModalOpens([&accepted](QWidget* modal) {
        if (auto* prompt = qobject_cast<CUpdateDlg*>(modal)) {
            accepted = true;
            prompt->updateButton()->click();
        }
    });
    ASSERT_TRUE(start(dialog));
    ASSERT_SOON(accepted && QApplication::activeModalWidget() == nullptr, 15000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible()) << "no Update.exe: nothing else happens";
    EXPECT_EQ(dialog.closeCount(), 1);
}

TEST_F(CMainDlgTest, TheStartedUpdaterEndsTheClientSignedOutWithNothingElseOfTheClose) {
    const QDir folder(m_service.programFolder());
    const auto companion = [&folder](const QString& name, const QString& marker) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho started > '" + folder.filePath(marker).toUtf8() + "'\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    };
    companion(QStringLiteral("Update.exe"), QStringLiteral("updater-started"));
    companion(QStringLiteral("Advertise.exe"), QStringLiteral("ads-started"));
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"), QStringLiteral("x#"));

    CMainDlg dialog(m_session);
    QSignalSpy closed(&dialog, &CMainDlg::closeSequenceFinished);
    QObject::connect(&dialog, &CMainDlg::startupFinished, &dialog, [this] {
        signInAs(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), 3600);
    });
    UiFixture::whenModalOpens([](QWidget* modal) {
        if (auto* prompt = qobject_cast<CUpdateDlg*>(modal)) {
            prompt->updateButton()->click();
        }
    });
    ASSERT_TRUE(start(dialog));
    ASSERT_SOON(QFile::exists(folder.filePath(QStringLiteral("updater-started"))), 15000);
    EXPECT_EQ_SOON(closed.size(), 1, 15000);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_context.session.IsSignedIn(), 0);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!logout.action")), 1);
    // The updater takes the program folder as it is: the list stays, no ad companion.
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("tvchannel.xml"))));
    EXPECT_EQ(dialog.closeCount(), 1);
    m_clock.advance(ClientSession::kCompanionDelayMs);
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("ads-started"))));
}

TEST_F(CMainDlgTest, UpdateNewsThatArrivesWhileClosingIsDropped) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    signInAs(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), 3600);
    // The sign-out at close takes a while: the news comes meanwhile.
    m_service.script(QStringLiteral("/user!logout.action"), QStringLiteral("delay"), {}, 0, 500);
    QSignalSpy closed(&dialog, &CMainDlg::closeSequenceFinished);
    dialog.close();
    ASSERT_TRUE(closed.isEmpty());
    // A prompt that opened anyway is counted and sent away, so that the test goes on.
    bool prompted = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&prompted] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            prompted = true;
            modal->reject();
        }
    });
    watch.start(20);
    emit m_session.mandatoryUpdateFound();
    emit m_session.newVersionFound(QStringLiteral("新機能#"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(CMyToolTip::GetBalloon().isVisible());
    ASSERT_TRUE(closed.wait(10000));
    EXPECT_FALSE(prompted);
}

TEST_F(CMainDlgTest, WithoutANotificationAreaTheOfferShowsAtTheScreenCorner) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    EXPECT_TRUE(dialog.trayIcon().enabled()) << "made, to appear when a notification area comes";
    EXPECT_TRUE(dialog.trayIcon().geometry().isEmpty()) << "the offscreen desktop has none";
    dialog.updateOffer().showBalloon(QStringLiteral("新機能#"));
    CMyToolTip& balloon = CMyToolTip::GetBalloon();
    ASSERT_TRUE(balloon.isVisible());
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(balloon.geometry().bottomRight(), room.bottomRight());
    balloon.hide();
}

TEST_F(CMainDlgTest, TrayDoubleClickRestoresAMaximisedWindowAndAClickKeepsItsSize) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    dialog.showMaximized();
    ASSERT_SOON(dialog.isMaximized(), 5000);
    dialog.trayIcon().onClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isMaximized());
    dialog.trayIcon().onDoubleClick();
    EXPECT_SOON(!dialog.isMaximized(), 5000);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CMainDlgTest, TrayExitWhileTheSignInDialogIsOpenClosesItAndThenTheClient) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    Qt::WindowModality modality = Qt::NonModal;
    UiFixture::whenModalOpens([&dialog, &modality](QWidget* modal) {
        // Modal to the main window only, so that the tray icon's window is not shut out.
        modality = modal->windowModality();
        dialog.trayIcon().menu()->itemById(CTrayIcon::kExitCommand)->trigger();
    });
    QSignalSpy closed(&dialog, &CMainDlg::closeSequenceFinished);
    dialog.signInButton()->click();  // signed out: the sign-in dialog, until the exit ends it
    EXPECT_EQ(modality, Qt::WindowModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ_SOON(closed.size(), 1, 10000);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CUpdateDlg, SitsOverItsWindowAndEnterUpdatesWhileEscapeRefuses) {
    QWidget owner;
    owner.setGeometry(40, 30, 800, 530);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        CUpdateDlg prompt(&owner);
        EXPECT_EQ(prompt.frameGeometry().center(), owner.frameGeometry().center());
        bool answered = false;
        UiFixture::whenModalOpens([key, &answered](QWidget* modal) {
            answered = true;
            QTest::keyClick(modal, key);
        });
        const int result = prompt.exec();
        ASSERT_TRUE(answered);
        EXPECT_EQ(prompt.accepted(), key == Qt::Key_Return);
        EXPECT_EQ(result, key == Qt::Key_Return ? 1 : int(QDialog::Rejected));
    }
}

namespace {

// Counts what repaints, and where, while it is installed.
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    struct Paint {
        QWidget* widget;
        QRect rect;  // in the top-level window's coordinates
    };
    QList<Paint> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const QRect rect = static_cast<QPaintEvent*>(event)->region().boundingRect();
            paints.append(
                {widget, QRect(widget->mapTo(widget->window(), rect.topLeft()), rect.size())});
        }
        return false;
    }
};

}  // namespace

TEST_F(CMainDlgTest, AtRestOnlyTheAnimatedMarksRepaintTheirOwnPlaceAtTheirOwnPace) {
    CMainDlg dialog(m_session);
    ASSERT_TRUE(start(dialog));
    QTest::qWait(1000);  // the list's first paints are over
    PaintCounter counter;
    constexpr int kWatchMs = 2000;
    // The marks' frames follow the clock: two seconds of it, with the paints they bring.
    for (int watched = 0; watched < kWatchMs; watched += 20) {
        m_clock.advance(20);
        QTest::qWait(20);
    }
    QMap<CGifDlg*, int> markPaints;
    for (const auto& paint : counter.paints) {
        CGifDlg* mark = nullptr;
        for (CGifDlg* candidate : {dialog.tree()->popularMark(), dialog.tree()->latestMark()}) {
            if (candidate != nullptr &&
                (paint.widget == candidate || candidate->isAncestorOf(paint.widget))) {
                mark = candidate;
            }
        }
        const QString what = QString::fromLatin1(paint.widget->metaObject()->className());
        ASSERT_NE(mark, nullptr) << what.toStdString() << " repainted at rest";
        const QRect place(mark->mapTo(&dialog, QPoint(0, 0)), mark->size());
        EXPECT_TRUE(place.contains(paint.rect)) << what.toStdString() << " beyond its mark";
        ++markPaints[mark];
    }
    EXPECT_FALSE(markPaints.isEmpty()) << "the marks move at rest";
    for (auto it = markPaints.cbegin(); it != markPaints.cend(); ++it) {
        const CGifPlayer& gif = *it.key()->player();
        int fastest = kWatchMs;
        for (int frame = 0; frame < gif.frameCount(); ++frame) {
            fastest = std::min(fastest, gif.frameDelayMs(frame));
        }
        EXPECT_LE(it.value(), kWatchMs / fastest + 2) << "a mark repaints once a frame";
    }
}
