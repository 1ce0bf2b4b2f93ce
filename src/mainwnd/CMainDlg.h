#pragma once

#include "catalogue/ChannelList.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <memory>

#include "mainwnd/SkinFrame.h"

struct AppContext;
class CChannelTreeCtrl;
class CClientArea;
class CSkinButton;
class CTVProgramDlg;
class CVozorPlayerDlg;
class QLabel;
class SingleInstance;
class UpdateCheckThread;

// The main window and the hub of the client: the player pane, the channel list in the side panel,
// the sign-in status and button. It signs in with a remembered login, fetches the channel list,
// plays what the user picks, checks every two minutes that the account still has viewing time,
// and signs out when it closes. Every exchange with the service runs beside the window.
class CMainDlg : public QDialog {
    Q_OBJECT

public:
    inline static const QString kTitle = QStringLiteral("VELOライブテレビクライアント");
    inline static const QString kWelcome = QStringLiteral("いらっしゃい:");
    inline static const QString kPleaseSignIn = QStringLiteral("ログインしてください!");
    inline static const QString kNoBalance = QStringLiteral(
        "お客様のIDにバランスが不足します、適時チャージ後に再登録してください ");
    inline static const QString kHideTip = QStringLiteral("側面を隠されます");
    inline static const QString kShowTip = QStringLiteral("側面を表示します");
    inline static const QString kTopMostTip = QStringLiteral("トップ ");
    inline static const QString kCancelTopMostTip = QStringLiteral("キャンセルトップ ");
    inline static const QString kAboutItem = QStringLiteral("关于 Lumavox(&A)...");
    static constexpr int kDragTickMs = 20;
    static constexpr int kUseTimeTimerMs = 120000;
    static constexpr int kSidePanelWidth = 208;

    CMainDlg(AppContext& context, SingleInstance* instance = nullptr, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The start-up: lays the window out, starts the sign-in, the player and the channel list.
    // startupFinished follows once the channel list arrived or failed.
    void startUp();

    int FillChannelTree();
    void refreshStatus();
    void hideSidePanel();
    void showSidePanel();
    void makeTopMost();
    void cancelTopMost();
    bool topMost() const { return m_topMost; }
    void showAbout();
    // One tick of a drag or resize of EDGE with the cursor at CURSOR (screen coordinates).
    void dragTick(int edge, QPoint cursor);
    // The tooltip the caption shows at POINT (window coordinates), or none.
    QString captionTip(QPoint point) const;
    // The close sequence: stop, hide, start the ad companion and delete the list once per run,
    // sign out. THEN runs when it is complete.
    void runCloseSequence(const std::function<void()>& then = {});

    // The window's parts, for the application and for tests.
    CClientArea* clientArea() const { return m_client; }
    SkinFrame& frame() { return *m_frame; }
    int edgeCode() const { return m_edge; }
    CChannelTreeCtrl* tree() const { return m_tree; }
    CVozorPlayerDlg* player() const { return m_player; }
    QLabel* statusLine() const { return m_status; }
    CSkinButton* signInButton() const { return m_signIn; }
    CSkinButton* hideButton() const { return m_hide; }
    CSkinButton* showButton() const { return m_show; }
    QWidget* adWindow() const { return m_ad; }
    CTVProgramDlg* retryNotice() const { return m_retry; }
    QMessageBox* useTimeMessage() const { return m_useTimeBox; }
    const ChannelList* channelLists() const { return m_lists.get(); }
    bool sideHidden() const { return m_sideHidden; }
    bool retryPending() const { return m_retryPending; }
    bool retryAllowed() const { return m_retryAllowed; }
    bool useTimeTimerActive() const { return m_useTimeTimer.isActive(); }
    bool balancePending() const { return m_balancePending; }
    // The two-minute check: asks for the remaining time and warns when there is none.
    void checkUseTime();
    static int closeCount();

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
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct SignInOutcome {
        bool ok = false;
        QString id;
        QString name;
        QString password;
    };
    struct ChannelListOutcome {
        bool downloaded = false;
        std::shared_ptr<ChannelList> lists;
        int sets = 0;
    };

    void placeControls();
    void layoutClient();
    void paintClient(QPainter& p);
    void setTopMostFlag(bool on);
    void stopDrag();
    void layoutTree();
    void startAutoSignIn();
    void startChannelList(bool retry);
    void onChannelList(const ChannelListOutcome& outcome, bool retry);
    int fillTree(std::unique_ptr<ChannelList> lists, int sets);
    void continueStartUp(bool loaded);
    void placeRetryNotice(bool show);
    void onSignInButton();
    void onPlaySelected();
    void showUseTimeMessage();
    bool runLoginDialog();
    void startUpdateCheck();
    void stopUpdateCheck();
    void restoreAndRaise();
    QString shortenedStatus(const QString& text) const;

    // Places kept for what later releases bring: the skinned frame, the tray icon, the update
    // balloon and prompt, the advertisement download and window, the splash and the about box.
    void startAdDownload() {}
    void closeSplash();
    void createTrayIcon() {}
    void showUpdateBalloon(const QString&) {}
    void offerUpdate() {}

    AppContext& m_context;
    SingleInstance* m_instance;
    std::unique_ptr<SkinFrame> m_frame;
    CClientArea* m_client = nullptr;
    SkinFrame::State m_frameState;
    bool m_topMost = false;
    int m_edge = SkinFrame::kNothing;  // the part of the frame under the pointer or dragged
    int m_dragging = SkinFrame::kNothing;
    QPoint m_anchor;
    QTimer m_dragTimer;
    CChannelTreeCtrl* m_tree = nullptr;
    CSkinButton* m_hide = nullptr;
    CSkinButton* m_show = nullptr;
    QLabel* m_status = nullptr;
    CSkinButton* m_signIn = nullptr;
    CVozorPlayerDlg* m_player = nullptr;
    QWidget* m_ad = nullptr;
    CTVProgramDlg* m_retry = nullptr;
    QPointer<QMessageBox> m_useTimeBox;
    QPixmap m_divider;
    QPixmap m_header;
    std::unique_ptr<ChannelList> m_lists;
    QTimer m_useTimeTimer;
    bool m_sideHidden = false;
    bool m_retryPending = false;
    bool m_retryAllowed = true;
    bool m_balancePending = false;
    bool m_closing = false;
    bool m_closeDone = false;
    std::unique_ptr<UpdateCheckThread> m_updateCheck;
    QThread m_updateThread;
};
