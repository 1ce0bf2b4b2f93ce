#include "mainwnd/CMainDlg.h"

#include "account/CLoginDlg.h"
#include "account/SavedLogin.h"
#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/Messages.h"
#include "catalogue/CChannelTreeCtrl.h"
#include "app/CSplashScreenDlg.h"
#include "mainwnd/CAboutDlg.h"
#include "mainwnd/CClientArea.h"
#include "mainwnd/CTVProgramDlg.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "playback/CVozorPlayerDlg.h"
#include "service/BalanceQuery.h"
#include "service/ChannelListDownload.h"
#include "service/LoginExchange.h"
#include "service/SessionRecord.h"
#include "service/TicketRequest.h"
#include "update/UpdateCheckThread.h"
#include "widgets/CSkinButton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QScreen>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QtConcurrent>

namespace {

// The first close of a run starts the ad companion and removes the channel list; later ones do
// not. The count never goes back.
int g_closeCounter = 1;

const QColor kStatusColour(255, 188, 0);
const QColor kEdge(0x45, 0x45, 0x45);

template <typename T>
QFutureWatcher<T>* watch(QObject* owner, QFuture<T> future, std::function<void(const T&)> done) {
    // The watcher belongs to the window: a result never reaches a window that is gone.
    auto* watcher = new QFutureWatcher<T>(owner);
    QObject::connect(watcher, &QFutureWatcher<T>::finished, owner, [watcher, done] {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(future);
    return watcher;
}

}  // namespace

CMainDlg::CMainDlg(AppContext& context, SingleInstance* instance, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_context(context),
      m_instance(instance),
      m_frame(std::make_unique<SkinFrame>(context.m_strExeDir)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    // The window's own controls live on the client area below the painted caption.
    m_client = new CClientArea(this);
    m_client->onPaint = [this](QPainter& p) { paintClient(p); };
    m_client->onResize = [this] { layoutClient(); };
    m_client->setMouseTracking(true);
    QWidget* client = m_client;

    m_tree = new CChannelTreeCtrl(m_context, this, client);
    m_hide = new CSkinButton(client);
    m_show = new CSkinButton(client);
    m_status = new QLabel(client);
    QPalette orange = m_status->palette();
    orange.setColor(QPalette::WindowText, kStatusColour);
    m_status->setPalette(orange);
    m_signIn = new CSkinButton(client);
    m_ad = new QWidget(client);  // holds the advertisement window's place
    m_dragTimer.setInterval(kDragTickMs);
    connect(&m_dragTimer, &QTimer::timeout, this, [this] { dragTick(m_dragging, QCursor::pos()); });

    m_useTimeTimer.setInterval(kUseTimeTimerMs);
    connect(&m_useTimeTimer, &QTimer::timeout, this, &CMainDlg::checkUseTime);
    connect(m_hide, &QAbstractButton::clicked, this, &CMainDlg::hideSidePanel);
    connect(m_show, &QAbstractButton::clicked, this, &CMainDlg::showSidePanel);
    connect(m_signIn, &QAbstractButton::clicked, this, &CMainDlg::onSignInButton);
}

CMainDlg::~CMainDlg() {
    stopUpdateCheck();
}

int CMainDlg::closeCount() {
    return g_closeCounter;
}

void CMainDlg::startUp() {
    startAdDownload();
    setWindowIcon(QIcon(QStringLiteral(":/icon/128")));
    m_divider.load(QStringLiteral(":/bitmap/166"));
    m_header.load(QStringLiteral(":/bitmap/271"));
    resize(800, 530);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    setWindowTitle(kTitle);
    if (m_instance != nullptr) {
        m_instance->listen();
        connect(m_instance, &SingleInstance::raiseRequested, this, &CMainDlg::restoreAndRaise);
    }
    m_hide->setToolTip(kHideTip);
    m_show->setToolTip(kShowTip);
    placeControls();
    refreshStatus();
    startAutoSignIn();
    if (m_player == nullptr) {
        m_player = new CVozorPlayerDlg(m_context, m_client);
        m_player->setGeometry(2, 0, 585, 500);
        m_player->show();
    }
    m_ad->setGeometry(590, 475, kSidePanelWidth, 70);
    m_ad->show();
    m_tree->SetExpandImages(129, 130, 0xFF00FF);
    m_tree->SetBackground(131);
    startChannelList(false);
}

void CMainDlg::placeControls() {
    m_hide->setGeometry(580, 198, 6, 9);
    m_hide->SetBitmaps(156, 155, 157, 157);
    m_show->setGeometry(580, 198, 6, 9);
    m_show->SetBitmaps(159, 158, 160, 160);
    m_status->setGeometry(700, 8, 164, 16);
    m_signIn->setGeometry(745, 4, 52, 22);
    m_hide->raise();
    m_hide->show();
    m_show->hide();
}

void CMainDlg::continueStartUp(bool loaded) {
    m_tree->CreateGroupMarks();
    layoutTree();
    closeSplash();
    createTrayIcon();
    startUpdateCheck();
    emit startupFinished(loaded);
}

QString CMainDlg::shortenedStatus(const QString& text) const {
    const QFontMetrics metrics(m_status->font());
    const int room = m_status->width();
    if (metrics.horizontalAdvance(text) <= room) {
        return text;
    }
    // Cut until the whole text, its "..." included, fits the line.
    QString cut = text;
    while (!cut.isEmpty() &&
           metrics.horizontalAdvance(cut + QStringLiteral("...")) > room) {
        cut.chop(1);
    }
    return cut + QStringLiteral("...");
}

void CMainDlg::refreshStatus() {
    if (IsSignedIn() != 0) {
        m_status->setText(shortenedStatus(kWelcome + GetDisplayName()));
        m_signIn->SetBitmaps(276, 275, 277, 275);
    } else {
        m_status->setText(kPleaseSignIn);
        m_signIn->SetBitmaps(273, 272, 274, 272);
    }
    update(m_status->geometry());
}

void CMainDlg::startAutoSignIn() {
    const QString folder = m_context.m_strExeDir;
    watch<SignInOutcome>(this, QtConcurrent::run([folder] {
                             SignInOutcome outcome;
                             const ConfigFile config(folder);
                             if (SavedLogin::LoadSavedLogin(config, outcome.id, outcome.password) == 1) {
                                 QString message;
                                 outcome.ok = LoginExchange::Login(config, outcome.id, outcome.password,
                                                                   outcome.name, message);
                             }
                             return outcome;
                         }),
                         [this](const SignInOutcome& outcome) {
                             if (outcome.ok) {
                                 SetSignedIn(1);
                                 SetUserId(outcome.id);
                                 SetDisplayName(outcome.name);
                                 SetPassword(outcome.password);
                             }
                             refreshStatus();
                             if (IsSignedIn() != 0) {
                                 m_useTimeTimer.start();
                             }
                             emit autoSignInFinished(outcome.ok);
                         });
}

void CMainDlg::startChannelList(bool retry) {
    AppContext* context = &m_context;
    const QString folder = m_context.m_strExeDir;
    // The worker also reads the downloaded file, so a long list never stalls the window.
    watch<ChannelListOutcome>(
        this, QtConcurrent::run([context, folder] {
            ChannelListOutcome outcome;
            const ConfigFile config(folder);
            TicketRequest::RequestTicket(config, context->service);
            outcome.downloaded =
                ChannelListDownload::DownloadChannelList(config, context->service, folder);
            if (outcome.downloaded) {
                outcome.lists = std::make_shared<ChannelList>();
                outcome.sets = LoadChannelFile(
                    ProgramFolder::file(folder, QStringLiteral("tvchannel.xml")), *outcome.lists);
            }
            return outcome;
        }),
        [this, retry](const ChannelListOutcome& outcome) { onChannelList(outcome, retry); });
}

void CMainDlg::onChannelList(const ChannelListOutcome& outcome, bool retry) {
    int filled = 0;
    if (outcome.downloaded) {
        auto lists = std::make_unique<ChannelList>(std::move(*outcome.lists));
        filled = fillTree(std::move(lists), outcome.sets);
    }
    if (!retry) {
        if (!outcome.downloaded) {
            placeRetryNotice(true);
            m_retryPending = true;
        }
        continueStartUp(filled == 1);
        return;
    }
    if (outcome.downloaded) {
        if (filled == 1) {
            if (m_retry != nullptr) {
                m_retry->stop();
            }
            m_retryPending = false;
        }
    } else {
        // A short pause before the notice counts down again.
        QTimer::singleShot(1000, this, [this] {
            if (m_retryAllowed) {
                placeRetryNotice(true);
                m_retryPending = true;
            }
        });
    }
    emit channelListRetried(filled == 1);
}

int CMainDlg::FillChannelTree() {
    auto lists = std::make_unique<ChannelList>();
    const int sets = LoadChannelFile(
        ProgramFolder::file(m_context.m_strExeDir, QStringLiteral("tvchannel.xml")), *lists);
    return fillTree(std::move(lists), sets);
}

int CMainDlg::fillTree(std::unique_ptr<ChannelList> lists, int sets) {
    // The records the tree items point at are replaced: a choice made before no longer counts.
    m_context.selectedChannel = nullptr;
    m_lists = std::move(lists);
    if (sets == 0) {
        placeRetryNotice(true);
        m_retryPending = true;
        return 0;
    }
    for (const auto& set : m_lists->groupSets) {
        QTreeWidgetItem* setItem = m_tree->InsertChannelItem(nullptr, set->name, 0, 0);
        for (const auto& group : m_lists->groups) {
            if (group->setIndex != set->index) {
                continue;
            }
            QTreeWidgetItem* groupItem = m_tree->InsertChannelItem(setItem, group->name, 0, 0);
            if (group->hasChannels) {
                for (const auto& channel : m_lists->channels) {
                    if (channel->groupIndex == group->groupIndex) {
                        QTreeWidgetItem* item =
                            m_tree->InsertChannelItem(groupItem, ChannelLabel(*channel), 177, 176);
                        CChannelTreeCtrl::setItemChannel(item, channel.get());
                    }
                }
            }
            groupItem->setExpanded(true);
            if (!group->hasChannels) {
                m_tree->InsertChannelItem(groupItem, kEmptyGroupLabel, 177, 176);
            }
            if (m_tree->topLevelItemCount() > 0) {
                setItem->setExpanded(true);
                m_tree->scrollToItem(setItem);
            }
            if (groupItem->childCount() > 0) {
                if (group->name == QStringLiteral("人気チャンネル")) {
                    m_tree->setPopularGroupItem(groupItem);
                } else if (group->name == QStringLiteral("最新更新")) {
                    m_tree->setLatestGroupItem(groupItem);
                }
            }
        }
    }
    for (QTreeWidgetItem* item : {m_tree->popularGroupItem(), m_tree->latestGroupItem()}) {
        if (item != nullptr) {
            item->setExpanded(true);
        }
    }
    m_tree->scrollToTop();
    return 1;
}

void CMainDlg::placeRetryNotice(bool show) {
    if (m_retry == nullptr) {
        m_retry = new CTVProgramDlg(m_client, this);
    }
    if (!show) {
        m_retry->stop();
        return;
    }
    const QRect area = m_tree->geometry();
    const int fifth = area.height() / 5;
    m_retry->setGeometry(area.x() + 1, area.y() + fifth, area.width() - 2, fifth);
    if (m_retryAllowed) {
        m_retry->startCountdown();
    }
}

void CMainDlg::layoutTree() {
    const QRect client = m_client->rect();
    const int top = client.top() + 31;
    m_tree->setGeometry(client.right() + 1 - 210, top, 207, client.bottom() + 1 - 72 - top);
    update(QRect(client.right() + 1 - 210, top, 207, client.bottom() + 1 - 72 - top));
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_client->setGeometry(rect() - m_frame->margins());
    // The window is clipped to a rounded rectangle.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 2.5, 2.5);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
    update();
}

void CMainDlg::layoutClient() {
    const int cx = m_client->width();
    const int cy = m_client->height();
    m_hide->setGeometry(cx - 217, cy / 2 - 40, 6, 9);
    m_show->setGeometry(cx - 8, cy / 2 - 40, 6, 9);
    m_status->setGeometry(cx - 209, 8, 164, 16);
    m_signIn->setGeometry(cx - 55, 4, 52, 22);
    if (m_player != nullptr) {
        m_player->setGeometry(2, 0, cx - 219 + (m_tree->isHidden() ? 210 : 0), cy - 3);
    }
    layoutTree();
    if (m_retryPending) {
        placeRetryNotice(true);
    }
    m_ad->setGeometry(cx - 210, cy - 73, kSidePanelWidth, 70);
    m_client->update();
}

void CMainDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    m_frameState.topMost = m_topMost;
    m_frameState.maximised = isMaximized();
    m_frame->paint(p, size(), m_frameState, windowIcon().pixmap(64, 64));
}

void CMainDlg::paintClient(QPainter& p) {
    const QRect client = m_client->rect();
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
        p.drawPixmap(QRect(l + playerWidth + 2, 0, 7, b - t - 1), m_divider, QRect(0, 0, 7, 452));
    }
    if (!m_sideHidden && !m_header.isNull()) {
        p.drawPixmap(QRect(r - 210, t + 1, kSidePanelWidth, 30), m_header, QRect(0, 0, 190, 30));
    }
}

void CMainDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging != SkinFrame::kNothing) {
        return;  // the drag timer follows the cursor
    }
    const QPoint at = event->position().toPoint();
    m_edge = SkinFrame::zoneForPointer(size(), at);
    setCursor(SkinFrame::cursorFor(m_edge));
    if (m_edge == SkinFrame::kCaption) {
        const SkinFrame::Button over = m_frame->buttonAt(at);
        if (over != m_frameState.hover) {
            m_frameState.hover = over;
            update(QRect(0, 0, width(), m_frame->captionHeight() + 4));
        }
    }
}

void CMainDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (m_frame->iconRect().contains(at)) {
        // The caption's icon opens the window's menu.
        QMenu menu(this);
        QAction* about = menu.addAction(kAboutItem);
        QAction* close = menu.addAction(QStringLiteral("閉じる(&C)"));
        QAction* chosen = menu.exec(mapToGlobal(QPoint(m_frame->iconRect().left(),
                                                       m_frame->iconRect().bottom() + 1)));
        if (chosen == about) {
            showAbout();
        } else if (chosen == close) {
            this->close();
        }
        return;
    }
    const int zone = SkinFrame::zoneForPress(size(), at);
    if (zone == SkinFrame::kCaption) {
        const SkinFrame::Button button = m_frame->buttonAt(at);
        if (button == SkinFrame::kTopMost) {
            // This button acts on the press.
            m_frameState.pressed = button;
            repaint(QRect(0, 0, width(), m_frame->captionHeight() + 4));
            m_frameState.pressed = SkinFrame::kNoButton;
            if (m_topMost) {
                cancelTopMost();
            } else {
                makeTopMost();
            }
            return;
        }
        if (button != SkinFrame::kNoButton) {
            m_frameState.pressed = button;
            update(QRect(0, 0, width(), m_frame->captionHeight() + 4));
            return;
        }
    }
    if (zone == SkinFrame::kNothing || (zone == SkinFrame::kCaption && isMaximized())) {
        return;
    }
    m_dragging = zone;
    m_anchor = event->globalPosition().toPoint();
    m_dragTimer.start();
}

void CMainDlg::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const SkinFrame::Button pressed = m_frameState.pressed;
    m_frameState.pressed = SkinFrame::kNoButton;
    stopDrag();
    update(QRect(0, 0, width(), m_frame->captionHeight() + 4));
    // Minimise, maximise and close act where the button is released.
    if (SkinFrame::zoneForPress(size(), at) != SkinFrame::kCaption ||
        m_frame->buttonAt(at) != pressed) {
        return;
    }
    switch (pressed) {
        case SkinFrame::kClose:
            if (!m_context.currentChannelId.isEmpty() && !m_context.currentChannelName.isEmpty()) {
                m_context.previousChannelId = m_context.currentChannelId;
                m_context.previousChannelName = m_context.currentChannelName;
            }
            close();
            break;
        case SkinFrame::kMinimise:
            showMinimized();
            break;
        case SkinFrame::kMaximise:
            if (isMaximized()) {
                showNormal();
            } else {
                showMaximized();
            }
            break;
        default:
            break;
    }
}

void CMainDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click on the caption or the frame neither maximises nor restores.
    event->accept();
}

void CMainDlg::stopDrag() {
    m_dragTimer.stop();
    m_dragging = SkinFrame::kNothing;
    m_edge = SkinFrame::kNothing;
    setCursor(Qt::ArrowCursor);
}

void CMainDlg::dragTick(int edge, QPoint cursor) {
    const QRect before = frameGeometry();
    const QRect after = SkinFrame::dragStep(edge, before, m_anchor, cursor, isMaximized());
    if (after == before) {
        return;
    }
    if (after.size() == before.size()) {
        move(after.topLeft());
    } else {
        setGeometry(after);
        m_client->update();
    }
    m_anchor = cursor;
}

QString CMainDlg::captionTip(QPoint point) const {
    if (m_frame->buttonRect(SkinFrame::kTopMost).contains(point)) {
        return m_topMost ? kCancelTopMostTip : kTopMostTip;
    }
    return {};
}

void CMainDlg::setTopMostFlag(bool on) {
    m_topMost = on;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        show();
    }
    update();
}

void CMainDlg::makeTopMost() {
    if (!m_topMost) {
        setTopMostFlag(true);
    }
}

void CMainDlg::cancelTopMost() {
    if (m_topMost) {
        setTopMostFlag(false);
    }
}

void CMainDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::closeSplash() {
    if (m_context.splash) {
        m_context.splash->CloseSplash();
    }
}

void CMainDlg::hideSidePanel() {
    if (m_sideHidden) {
        return;
    }
    m_hide->hide();
    if (isMaximized()) {
        m_tree->hide();
        if (m_player != nullptr) {
            m_player->resize(m_player->width() + kSidePanelWidth, m_player->height());
        }
        m_ad->hide();
    } else {
        m_tree->hide();
        m_ad->hide();
        resize(width() - kSidePanelWidth, height());
    }
    m_show->show();
    update();
    m_sideHidden = true;
    m_status->hide();
    m_signIn->hide();
    if (m_retryPending && m_retry != nullptr) {
        m_retry->stop();
        m_retryAllowed = false;
    }
}

void CMainDlg::showSidePanel() {
    if (!m_sideHidden) {
        return;
    }
    if (isMaximized()) {
        if (m_player != nullptr) {
            m_player->resize(m_player->width() - kSidePanelWidth, m_player->height());
        }
        m_tree->show();
        m_ad->show();
    } else {
        m_tree->show();
        m_ad->show();
        resize(width() + kSidePanelWidth, height());
    }
    m_show->hide();
    m_hide->show();
    update();
    m_sideHidden = false;
    m_status->show();
    m_signIn->show();
    if (m_retryPending) {
        m_retryAllowed = true;
        placeRetryNotice(true);
    }
}

bool CMainDlg::runLoginDialog() {
    CLoginDlg login(m_context, this);
    login.exec();
    return IsSignedIn() != 0;
}

void CMainDlg::onSignInButton() {
    if (IsSignedIn() != 0) {
        if (m_player != nullptr) {
            Messages::WindowMessage stop(Messages::kStopPlayback);
            QCoreApplication::sendEvent(m_player, &stop);
        }
        m_signIn->setEnabled(false);
        const QString folder = m_context.m_strExeDir;
        watch<bool>(this, QtConcurrent::run([folder] { return LoginExchange::Logout(ConfigFile(folder)); }),
                    [this](const bool& loggedOut) {
                        m_signIn->setEnabled(true);
                        if (loggedOut) {
                            SetSignedIn(0);
                            m_useTimeTimer.stop();
                        }
                        refreshStatus();
                    });
        return;
    }
    if (runLoginDialog()) {
        m_useTimeTimer.start();
    } else {
        m_tree->ClearPlayingItem();
    }
    refreshStatus();
}

void CMainDlg::onPlaySelected() {
    if (IsSignedIn() == 0 && !runLoginDialog()) {
        m_tree->ClearPlayingItem();
        return;
    }
    m_useTimeTimer.start();
    if (!HasUseTime()) {
        showUseTimeMessage();
        return;
    }
    if (m_player == nullptr || !m_lists) {
        return;
    }
    // The tree item says which channel it shows; its label may be shortened or marked.
    const ChannelInfo* channel = nullptr;
    for (const auto& record : m_lists->channels) {
        if (record.get() == m_context.selectedChannel) {
            channel = record.get();
            break;
        }
    }
    if (channel == nullptr) {
        channel = FindChannelByName(*m_lists, m_context.selectedChannelName);
    }
    if (channel == nullptr) {
        return;
    }
    m_context.currentAddress = channel->address;
    m_context.currentChannelId = channel->id;
    QCoreApplication::postEvent(m_player, new Messages::WindowMessage(Messages::kPlayCurrent));
}

void CMainDlg::checkUseTime() {
    if (m_balancePending) {
        return;
    }
    m_balancePending = true;
    AppContext* context = &m_context;
    watch<bool>(this,
                QtConcurrent::run([context] {
                    return BalanceQuery::QueryBalance(context->service).outcome ==
                           BalanceQuery::Outcome::Answered;
                }),
                [this](const bool& answered) {
                    m_balancePending = false;
                    if (answered && !HasUseTime()) {
                        showUseTimeMessage();
                    }
                });
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

void CMainDlg::startUpdateCheck() {
    if (m_updateCheck) {
        return;
    }
    m_updateCheck = std::make_unique<UpdateCheckThread>(m_context.service);
    UpdateCheckThread* check = m_updateCheck.get();
    QPointer<CMainDlg> self(this);
    // The check blocks in its own thread; its reactions reach the window as queued calls.
    QObject::connect(&m_updateThread, &QThread::started, [check, self] {
        check->run({[self](const QString& text2) {
                        QMetaObject::invokeMethod(self, [self, text2] {
                            if (self) {
                                self->showUpdateBalloon(text2);
                            }
                        }, Qt::QueuedConnection);
                    },
                    [self] {
                        QMetaObject::invokeMethod(self, [self] {
                            if (self) {
                                self->offerUpdate();
                            }
                        }, Qt::QueuedConnection);
                    }});
        QThread::currentThread()->quit();
    });
    m_updateThread.start();
}

void CMainDlg::stopUpdateCheck() {
    if (m_updateCheck) {
        m_updateCheck->stop();
        m_updateThread.quit();
        m_updateThread.wait();
    }
}

void CMainDlg::restoreAndRaise() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void CMainDlg::runCloseSequence(const std::function<void()>& then) {
    if (m_player != nullptr) {
        Messages::WindowMessage stop(Messages::kStopPlayback);
        QCoreApplication::sendEvent(m_player, &stop);
    }
    hide();
    if (g_closeCounter == 1) {
        ++g_closeCounter;
        const QString companion =
            ProgramFolder::file(m_context.m_strExeDir, QStringLiteral("Advertise.exe"));
        if (QFile::exists(companion)) {
            QThread::msleep(100);
            QProcess::startDetached(companion, {});
        }
        QFile::remove(ProgramFolder::file(m_context.m_strExeDir, QStringLiteral("tvchannel.xml")));
    }
    if (IsSignedIn() == 0) {
        emit closeSequenceFinished();
        if (then) {
            then();
        }
        return;
    }
    m_useTimeTimer.stop();
    const QString folder = m_context.m_strExeDir;
    watch<bool>(this, QtConcurrent::run([folder] { return LoginExchange::Logout(ConfigFile(folder)); }),
                [this, then](const bool&) {
                    // Signed out whatever the server said.
                    SetSignedIn(0);
                    m_useTimeTimer.stop();
                    emit closeSequenceFinished();
                    if (then) {
                        then();
                    }
                });
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (m_closeDone) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (m_closing) {
        return;
    }
    m_closing = true;
    runCloseSequence([this] {
        m_closeDone = true;
        stopUpdateCheck();
        done(0);
    });
}

void CMainDlg::reject() {
    close();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    // Neither key ends the main window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CMainDlg::event(QEvent* event) {
    const int type = static_cast<int>(event->type());
    switch (type) {
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
            startChannelList(true);
            return true;
        case Messages::kNewVersion:
        case Messages::kMandatoryUpdate:
        case Messages::kTrayNotify:
            return true;
        case QEvent::ToolTip: {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString tip = captionTip(help->pos());
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, this);
            }
            return true;
        }
        default:
            return QDialog::event(event);
    }
}
