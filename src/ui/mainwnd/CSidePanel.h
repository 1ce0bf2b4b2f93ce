#pragma once

#include "catalogue/ChannelTreeFilter.h"

#include <QString>

class NowPlaying;
class Clock;
class CAdvertiseDlg;
class CChannelTreeCtrl;
class CSearchEdit;
class CSkinButton;
class CTVProgramDlg;
class QLabel;
class QWidget;
class SessionRecord;

// The main window's side panel: the search field and the channel list, the buttons that hide and
// show the panel, the sign-in status line and button, the advertisement's place, and the retry
// notice laid over the list. Its parts are children of the window's client area, placed in its
// coordinates; the window decides when the panel shows and what it says.
class CSidePanel {
public:
    static constexpr int kWidth = 208;
    inline static const QString kWelcome = QStringLiteral("いらっしゃい:");
    inline static const QString kPleaseSignIn = QStringLiteral("ログインしてください!");
    inline static const QString kHideTip = QStringLiteral("側面を隠されます");
    inline static const QString kShowTip = QStringLiteral("側面を表示します");
    // What a screen reader calls the parts that show no text of their own.
    inline static const QString kTreeName = QStringLiteral("チャンネル一覧");
    inline static const QString kSignInName = QStringLiteral("ログイン");
    inline static const QString kSignOutName = QStringLiteral("ログアウト");
    inline static const QString kAdName = QStringLiteral("広告");

    // OWNER receives the list's play requests; CLIENT is the area the parts live on; the
    // advertisements come from DATAFOLDER, where the client writes, or the program folder FOLDER.
    CSidePanel(NowPlaying& nowPlaying, Clock& clock, const QString& dataFolder,
               const QString& folder, QWidget* owner, QWidget* client);

    CChannelTreeCtrl* tree() const { return m_tree; }
    CSearchEdit* searchEdit() const { return m_search; }
    ChannelTreeFilter& filter() { return m_filter; }
    // A newly filled list: indexed for the search, and any search ended.
    void listFilled(const ChannelList& lists, std::shared_ptr<const ChannelSearch> search = {});
    // Escape pressed with FOCUS in the panel ends a search as it does in the search field;
    // returns whether it did.
    bool endSearchFrom(const QWidget* focus);
    CSkinButton* hideButton() const { return m_hide; }
    CSkinButton* showButton() const { return m_show; }
    QLabel* statusLine() const { return m_status; }
    CSkinButton* signInButton() const { return m_signIn; }
    CAdvertiseDlg* adWindow() const { return m_ad; }
    CTVProgramDlg* retryNotice() const { return m_retry; }

    // The parts at their first places, with their faces and tips.
    void placeControls();
    // The parts for a client area of CX by CY.
    void layout(int cx, int cy);
    // The list's strip: right of the player, below the header, above the advertisement; the
    // search field at its top.
    void layoutTree();
    // Shows or hides the list, the advertisement, the status line and the sign-in button, and
    // swaps the hide and show buttons.
    void setShown(bool shown);
    // The status line and the sign-in button's face for RECORD.
    void refreshStatus(const SessionRecord& record);

    // The retry notice: laid over the list while no list could be had, counting down to a
    // retry while the panel shows. After a failed retry it counts down again once a short pause
    // is over; a filled list takes it away. NOTIFY is the window its button asks.
    static constexpr int kRetryPauseMs = 1000;
    void showRetryNotice(QWidget* notify);
    void retryFailed(QWidget* notify);
    void listRetrieved();
    bool retryPending() const { return m_retryPending; }
    bool retryAllowed() const { return m_retryAllowed; }

private:
    QString shortenedStatus(const QString& text) const;
    // Lays the notice over the list, counting down when allowed; or stops it.
    void placeRetryNotice(bool show, QWidget* notify);

    QWidget* m_client;
    Clock& m_clock;
    CChannelTreeCtrl* m_tree;
    CSearchEdit* m_search;
    ChannelTreeFilter m_filter;
    CSkinButton* m_hide;
    CSkinButton* m_show;
    QLabel* m_status;
    CSkinButton* m_signIn;
    CAdvertiseDlg* m_ad;
    CTVProgramDlg* m_retry = nullptr;
    bool m_retryPending = false;
    bool m_retryAllowed = true;  // not while the panel is hidden
};
