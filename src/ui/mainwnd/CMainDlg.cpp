#include "mainwnd/CMainDlg.h"

#include "account/CLoginDlg.h"
#include "ads/CAdvertiseDlg.h"
#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CChannelNavigator.h"
#include "mainwnd/CClientArea.h"
#include "mainwnd/CSplashScreenDlg.h"
#include "mainwnd/CTVProgramDlg.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "playback/CVozorPlayerDlg.h"
#include "service/ChannelListDownload.h"
#include "service/SessionRecord.h"
#include "session/AppContext.h"
#include "widgets/CMyToolTip.h"
#include "widgets/CSkinButton.h"
#include "widgets/Messages.h"
#include "widgets/OpenDialogs.h"
#include "widgets/SharpImage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {

const QColor kEdge(0x45, 0x45, 0x45);

}  // namespace

CMainDlg::CMainDlg(ClientSession& session, SingleInstance* instance, QWidget* parent)
    : CSkinnedWindow(session.context().m_strExeDir, parent),
      m_session(session),
      m_context(session.context()),
      m_instance(instance),
      m_side(session.context().nowPlaying, *session.context().clock, session.context().dataDir(),
             session.context().m_strExeDir, this, clientArea()),
      m_tray(*this),
      m_update(this, session.context().m_strExeDir, *session.context().clock) {
    setAboutItem(kAboutItem);
    m_navigator = new CChannelNavigator(m_context.session, m_context.nowPlaying, *m_context.clock,
                                        m_context.statePath, this, tree());
    connect(tree(), &CChannelTreeCtrl::filledListShown, this,
            [this] { m_context.traceEvent("tree-shown"); });
    connect(hideButton(), &QAbstractButton::clicked, this, &CMainDlg::hideSidePanel);
    connect(showButton(), &QAbstractButton::clicked, this, &CMainDlg::showSidePanel);
    connect(signInButton(), &QAbstractButton::clicked, this, &CMainDlg::onSignInButton);

    connect(&m_session, &ClientSession::autoSignInFinished, this, [this](bool signedIn) {
        m_context.traceEvent(signedIn ? "signed-in" : "not-signed-in");
        refreshStatus();
        m_navigator->takeLastChannelToPlay();
        emit autoSignInFinished(signedIn);
    });
    connect(&m_session, &ClientSession::signOutFinished, this, [this] {
        signInButton()->setEnabled(true);
        refreshStatus();
    });
    connect(&m_session, &ClientSession::channelListFetched, this, &CMainDlg::onChannelList);
    connect(&m_session, &ClientSession::useTimeExhausted, this, &CMainDlg::showUseTimeMessage);
    // A banner unpacked meanwhile shows at once.
    connect(&m_session, &ClientSession::adsUnpacked, this, [this] { adWindow()->update(); });
    m_update.iconRect = [this] { return m_tray.icon().geometry(); };
    m_update.beforePrompt = [this] {
        stopPlayback();
        tree()->ClearPlayingItem();
    };
    m_update.closeClient = [this] { close(); };
    m_update.endForUpdater = [this] { endForUpdater(); };
    // Once the client is closing, an update found meanwhile is no longer offered: nobody would
    // see the window it belongs to.
    connect(&m_session, &ClientSession::newVersionFound, this, [this](const QString& text2) {
        if (!m_closing) {
            m_update.showBalloon(text2);
        }
    });
    connect(&m_session, &ClientSession::mandatoryUpdateFound, this, [this] {
        if (!m_closing) {
            m_update.offerMandatory();
        }
    });
}

CMainDlg::~CMainDlg() {
    m_session.stopUpdateCheck();
}

void CMainDlg::showMainWindow() {
    if (m_closing) {
        return;
    }
    bringForward();
    update();
    OpenDialogs::RaiseActive();
}

bool CMainDlg::StartUpdater() {
    return m_update.StartUpdater();
}

int CMainDlg::closeCount() const {
    return m_context.closeCounter;
}

void CMainDlg::startUp() {
    m_session.startAdDownload();
    setWindowIcon(SharpImage::programIcon());
    m_divider = SharpImage::pixmap(QStringLiteral(":/bitmap/166"));
    m_header = SharpImage::pixmap(QStringLiteral(":/bitmap/271"));
    resize(800, 530);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    setWindowTitle(kTitle);
    m_restoreHidden = m_navigator->restoreWindow();
    if (m_instance != nullptr) {
        m_instance->listen();
        connect(m_instance, &SingleInstance::raiseRequested, this, &CMainDlg::restoreAndRaise);
    }
    m_side.placeControls();
    refreshStatus();
    m_session.startAutoSignIn();
    if (m_player == nullptr) {
        m_player = new CVozorPlayerDlg(m_context, clientArea());
        m_player->setGeometry(2, 0, 585, 500);
        m_player->show();
        m_navigator->setPicture(m_player);
    }
    tree()->SetExpandImages(129, 130, 0xFF00FF);
    tree()->SetBackground(131);
    m_session.fetchChannelList(false);
}

void CMainDlg::continueStartUp(bool loaded) {
    tree()->CreateGroupMarks();
    m_side.layoutTree();
    if (m_restoreHidden) {
        m_restoreHidden = false;
        hideSidePanel();
    }
    if (m_splash) {
        m_splash->CloseSplash();
    }
    m_tray.create();
    m_session.startUpdateCheck();
    m_started = true;
    m_context.traceEvent("startup-finished");
    emit startupFinished(loaded);
}

void CMainDlg::refreshStatus() {
    m_side.refreshStatus(m_session.record());
    // Whoever is signed in now sees their own favourites and recent channels.
    m_navigator->userChanged();
}

void CMainDlg::onChannelList(const ClientSession::ChannelListResult& result, bool retry) {
    int filled = 0;
    if (result.downloaded) {
        // The records stay where they are, so the index made of them still holds.
        filled = fillTree(result.lists, result.sets, result.search);
    }
    if (!retry) {
        if (!result.downloaded) {
            m_side.showRetryNotice(this);
            m_context.traceEvent("retry-notice");
        }
        continueStartUp(filled == 1);
        return;
    }
    if (filled == 1) {
        m_side.listRetrieved();
    } else if (!result.downloaded) {
        m_side.retryFailed(this);
    }
    m_context.traceEvent(filled == 1 ? "list-retried" : "retry-failed");
    emit channelListRetried(filled == 1);
}

int CMainDlg::FillChannelTree() {
    auto lists = std::make_shared<ChannelList>();
    const int sets = LoadChannelFile(ChannelListDownload::filePath(m_context.dataDir()), *lists);
    return fillTree(std::move(lists), sets);
}

int CMainDlg::fillTree(std::shared_ptr<ChannelList> lists, int sets,
                       std::shared_ptr<const ChannelSearch> search) {
    if (sets == 0) {
        m_side.showRetryNotice(this);
        return 0;
    }
    // The records the tree items point at are replaced: a choice made before no longer counts.
    m_context.nowPlaying.forgetChosenRecord();
    tree()->FillChannelTree(*lists);
    m_lists = std::move(lists);
    m_side.listFilled(*m_lists, std::move(search));
    m_navigator->listFilled(*m_lists);
    m_navigator->takeLastChannelToPlay();
    m_context.traceEvent("tree-filled");
    return 1;
}

void CMainDlg::layoutClient() {
    const int cx = clientArea()->width();
    const int cy = clientArea()->height();
    if (m_player != nullptr) {
        m_player->setGeometry(2, 0, cx - 219 + (tree()->isHidden() ? 210 : 0), cy - 3);
    }
    m_side.layout(cx, cy);
    clientArea()->update();
}

void CMainDlg::paintClient(QPainter& p) {
    const QRect client = clientArea()->rect();
    const int l = client.left();
    const int t = client.top();
    const int r = client.right() + 1;
    const int b = client.bottom() + 1;
    p.fillRect(client, Qt::black);
    p.setPen(QPen(kEdge, 1));
    p.drawLine(1, 0, 1, b - t);
    p.drawLine(r - 2, t, r - 2, b);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(r - 3, t, r - 3, b);
    p.setPen(QPen(kEdge, 2));
    p.drawLine(l, b - 2, r, b - 2);
    const int playerWidth = m_player != nullptr ? m_player->width() : 0;
    if (!m_divider.isNull()) {
        p.drawPixmap(QRectF(l + playerWidth + 2, 0, 7, b - t - 1), m_divider,
                     SharpImage::partOf(m_divider, QRect(0, 0, 7, 452)));
    }
    if (!m_sideHidden && !m_header.isNull()) {
        p.drawPixmap(QRectF(r - 210, t + 1, kSidePanelWidth, 30), m_header,
                     SharpImage::partOf(m_header, QRect(0, 0, 190, 30)));
    }
}

void CMainDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::fillWindowMenu(QMenu& menu) {
    m_navigator->addMenuItems(menu);
}

void CMainDlg::closeFromCaption() {
    m_context.nowPlaying.keepForReturn();
    close();
}

void CMainDlg::hideSidePanel() {
    if (m_sideHidden) {
        return;
    }
    // The list's strip goes to the player: a maximised window keeps its size, another shrinks.
    m_side.setShown(false);
    if (isMaximized()) {
        if (m_player != nullptr) {
            m_player->resize(m_player->width() + kSidePanelWidth, m_player->height());
        }
    } else {
        resize(width() - kSidePanelWidth, height());
    }
    update();
    m_sideHidden = true;
}

void CMainDlg::showSidePanel() {
    if (!m_sideHidden) {
        return;
    }
    if (isMaximized() && m_player != nullptr) {
        m_player->resize(m_player->width() - kSidePanelWidth, m_player->height());
    }
    m_side.setShown(true);
    if (!isMaximized()) {
        resize(width() + kSidePanelWidth, height());
    }
    update();
    m_sideHidden = false;
}

bool CMainDlg::runLoginDialog() {
    CLoginDlg login(m_session, this);
    login.exec();
    return m_session.record().IsSignedIn() != 0;
}

void CMainDlg::stopPlayback() {
    if (m_player != nullptr) {
        Messages::WindowMessage stop(Messages::kStopPlayback);
        QCoreApplication::sendEvent(m_player, &stop);
    }
}

void CMainDlg::onSignInButton() {
    if (m_session.record().IsSignedIn() != 0) {
        stopPlayback();
        signInButton()->setEnabled(false);
        m_session.signOut();
        return;
    }
    if (runLoginDialog()) {
        m_session.startUseTimeTimer();
    } else {
        tree()->ClearPlayingItem();
    }
    refreshStatus();
}

void CMainDlg::onPlaySelected() {
    if (m_session.record().IsSignedIn() == 0 && !runLoginDialog()) {
        tree()->ClearPlayingItem();
        return;
    }
    m_session.startUseTimeTimer();
    if (!m_session.record().HasUseTime()) {
        showUseTimeMessage();
        return;
    }
    if (m_player == nullptr || !m_lists) {
        return;
    }
    // The tree item says which channel it shows; its label may be shortened or marked.
    NowPlaying& nowPlaying = m_context.nowPlaying;
    const ChannelInfo* channel =
        FindChosenChannel(*m_lists, nowPlaying.chosenRecord(), nowPlaying.chosenLabel());
    if (channel == nullptr) {
        return;
    }
    // The navigator hears of it from the owner and remembers it as watched.
    nowPlaying.start(*channel);
    QCoreApplication::postEvent(m_player, new Messages::WindowMessage(Messages::kPlayCurrent));
    m_context.traceEvent("play-requested");
}

void CMainDlg::showUseTimeMessage() {
    // One message at a time: an unanswered one is not joined by another.
    if (m_useTimeBox) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("VELO"), kNoBalance,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    m_useTimeBox = box;
    box->show();
}

void CMainDlg::restoreAndRaise() {
    // A window still starting comes up by itself once it is ready; one that is closing stays gone.
    if (!m_started || m_closing) {
        return;
    }
    bringForward();
}

void CMainDlg::bringForward() {
    restoreFromMinimised();
    show();
    raise();
    activateWindow();
}

void CMainDlg::runCloseSequence(const std::function<void()>& then) {
    stopPlayback();
    hide();
    m_session.closeDown([this, then] {
        emit closeSequenceFinished();
        if (then) {
            then();
        }
    });
}

bool CMainDlg::beginClosing() {
    if (m_closing) {
        return false;
    }
    m_closing = true;
    m_context.traceEvent("close-started");
    m_navigator->saveWindow(m_sideHidden);
    CMyToolTip::GetBalloon().hide();
    return true;
}

void CMainDlg::finishClosing() {
    m_context.traceEvent("close-finished");
    m_closeDone = true;
    m_session.stopUpdateCheck();
    done(0);
}

void CMainDlg::endForUpdater() {
    // The updater replaces the program's files: nothing of the close routine runs (no ad
    // companion, the channel list stays), only the sign-out, so no session stays open.
    if (!beginClosing()) {
        return;
    }
    stopPlayback();
    hide();
    m_session.signOutForClose([this] {
        emit closeSequenceFinished();
        finishClosing();
    });
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (m_closeDone) {
        CSkinnedWindow::closeEvent(event);
        return;
    }
    event->ignore();
    if (!beginClosing()) {
        return;
    }
    runCloseSequence([this] { finishClosing(); });
}

void CMainDlg::reject() {
    close();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    // Escape that the list or a button of the side panel passed on ends a search there.
    if (event->key() == Qt::Key_Escape && m_side.endSearchFrom(QApplication::focusWidget())) {
        event->accept();
        return;
    }
    // Neither key ends the main window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    CSkinnedWindow::keyPressEvent(event);
}

bool CMainDlg::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
        case Messages::kPlaySelected: {
            const auto* message = static_cast<Messages::WindowMessage*>(event);
            if (message->wParam() == 0 && message->lParam() == 0) {
                onPlaySelected();
            }
            return true;
        }
        case Messages::kRefreshSignIn:
            refreshStatus();
            return true;
        case Messages::kRetryChannelList:
            m_session.fetchChannelList(true);
            return true;
        case Messages::kNewVersion:
        case Messages::kMandatoryUpdate:
        case Messages::kTrayNotify:
            return true;
        default:
            return CSkinnedWindow::event(event);
    }
}
