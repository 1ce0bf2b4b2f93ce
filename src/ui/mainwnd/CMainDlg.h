#pragma once

#include "mainwnd/CMainTray.h"
#include "mainwnd/CSidePanel.h"
#include "mainwnd/CSkinnedWindow.h"
#include "mainwnd/CSplashScreenDlg.h"
#include "session/ClientSession.h"
#include "update/CUpdateOffer.h"

#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

struct AppContext;
struct ChannelList;
class CChannelNavigator;
class CVozorPlayerDlg;
class SingleInstance;

// The main window: the player pane, the channel list in the side panel, the sign-in status and
// button. It shows what the client session reports (sign-in, the channel list, the balance, an
// update) and turns the user's choices into requests to the session and the player.
class CMainDlg : public CSkinnedWindow {
    Q_OBJECT

public:
    inline static const QString kTitle = QStringLiteral("VELOライブテレビクライアント");
    inline static const QString& kWelcome = CSidePanel::kWelcome;
    inline static const QString& kPleaseSignIn = CSidePanel::kPleaseSignIn;
    inline static const QString kNoBalance =
        QStringLiteral("お客様のIDにバランスが不足します、適時チャージ後に再登録してください ");
    inline static const QString kAboutItem = QStringLiteral("关于 Lumavox(&A)...");
    static constexpr int kSidePanelWidth = CSidePanel::kWidth;
    static constexpr int kRetryPauseMs = CSidePanel::kRetryPauseMs;

    CMainDlg(ClientSession& session, SingleInstance* instance = nullptr, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The start-up picture, closed once the window is ready.
    void setSplash(CSplashScreenDlg* splash) { m_splash = splash; }
    // The start-up: lays the window out, starts the sign-in, the player and the channel list.
    // startupFinished follows once the channel list arrived or failed.
    void startUp();

    // Reads the downloaded channel list and shows it; 0, with the retry notice shown, when the
    // file holds no list.
    int FillChannelTree();
    void refreshStatus();
    void hideSidePanel();
    void showSidePanel();
    // The close sequence: stop, hide, start the ad companion and delete the list once per run,
    // sign out. THEN runs when it is complete.
    void runCloseSequence(const std::function<void()>& then = {});

    // What a second start asks: the window restored as it was and brought forward, unless it is
    // still starting or already closing.
    void restoreAndRaise();

    // The updater: raised when its window is up already, otherwise started, which signs out
    // and ends the client. False when neither happened.
    bool StartUpdater();
    CUpdateOffer& updateOffer() { return m_update; }
    // Tray command 32771: the window restored and shown.
    void showMainWindow();
    // Restored when minimised, shown, raised and made active.
    void bringForward();
    bool closing() const { return m_closing; }
    // The about box, from the window's menu or the tray's.
    void showAbout() override;

    // The window's parts, for the application and for tests.
    ClientSession& session() const { return m_session; }
    CChannelTreeCtrl* tree() const { return m_side.tree(); }
    CVozorPlayerDlg* player() const { return m_player; }
    QLabel* statusLine() const { return m_side.statusLine(); }
    CSkinButton* signInButton() const { return m_side.signInButton(); }
    CSkinButton* hideButton() const { return m_side.hideButton(); }
    CSkinButton* showButton() const { return m_side.showButton(); }
    CAdvertiseDlg* adWindow() const { return m_side.adWindow(); }
    CTVProgramDlg* retryNotice() const { return m_side.retryNotice(); }
    CTrayIcon& trayIcon() { return m_tray.icon(); }
    CChannelNavigator* navigator() const { return m_navigator; }
    CSidePanel& sidePanel() { return m_side; }
    QMessageBox* useTimeMessage() const { return m_useTimeBox; }
    const ChannelList* channelLists() const { return m_lists.get(); }
    bool sideHidden() const { return m_sideHidden; }
    bool retryPending() const { return m_side.retryPending(); }
    bool retryAllowed() const { return m_side.retryAllowed(); }
    bool useTimeTimerActive() const { return m_session.useTimeTimerActive(); }
    bool balancePending() const { return m_session.balancePending(); }
    // The two-minute check: asks for the remaining time and warns when there is none.
    void checkUseTime() { m_session.checkUseTime(); }
    int closeCount() const;

signals:
    void startupFinished(bool channelListLoaded);
    void autoSignInFinished(bool signedIn);
    void channelListRetried(bool loaded);
    void closeSequenceFinished();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintClient(QPainter& p) override;
    void layoutClient() override;

    void closeFromCaption() override;
    void fillWindowMenu(QMenu& menu) override;

private:
    void onChannelList(const ClientSession::ChannelListResult& result, bool retry);
    int fillTree(std::shared_ptr<ChannelList> lists, int sets,
                 std::shared_ptr<const ChannelSearch> search = {});
    void continueStartUp(bool loaded);
    void onSignInButton();
    void onPlaySelected();
    void showUseTimeMessage();
    bool runLoginDialog();

    void stopPlayback();

    // Closing starts once; false when it had already.
    bool beginClosing();
    void finishClosing();
    // The end once the updater has started: signed out, nothing else of the close routine.
    void endForUpdater();

    ClientSession& m_session;
    AppContext& m_context;
    SingleInstance* m_instance;
    QPointer<CSplashScreenDlg> m_splash;
    CSidePanel m_side;
    CVozorPlayerDlg* m_player = nullptr;
    CChannelNavigator* m_navigator = nullptr;
    bool m_restoreHidden = false;  // the side panel was hidden when the window last closed
    CMainTray m_tray;
    CUpdateOffer m_update;
    QPointer<QMessageBox> m_useTimeBox;
    QPixmap m_divider;
    QPixmap m_header;
    std::shared_ptr<ChannelList> m_lists;  // shared with the worker that reads its names
    bool m_sideHidden = false;
    bool m_started = false;
    bool m_closing = false;
    bool m_closeDone = false;
};
