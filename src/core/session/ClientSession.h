#pragma once

#include "service/LoginExchange.h"
#include "update/UpdateWatcher.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class ChannelSearch;

struct AppContext;
struct ChannelList;
class ClockTimer;
class SessionRecord;

// The service side of the client's life: signing in with the remembered login, signing in and
// out, the session identity and the channel list, the two-minute balance check, the update check
// and the sign-out at close. Every exchange runs on the context's workers; outcomes come back as
// values on the GUI thread, where they are written into the session record and announced. It
// knows no window.
class ClientSession : public QObject {
    Q_OBJECT

public:
    using LoginResult = LoginExchange::LoginResult;
    static constexpr int kUseTimeTimerMs = 120000;

    // What a channel-list fetch brought: whether a list was downloaded, and the lists read from
    // it (SETS group sets; 0 when the file held none).
    struct ChannelListResult {
        bool downloaded = false;
        std::shared_ptr<ChannelList> lists;
        int sets = 0;
        // The list's search index, made beside the reading so the window need not make it.
        std::shared_ptr<const ChannelSearch> search;
    };

    explicit ClientSession(AppContext& context, QObject* parent = nullptr);
    ~ClientSession() override;

    AppContext& context() const { return m_context; }
    SessionRecord& record() const;

    // Fetches and unpacks the advertisement archives beside everything else; adsUnpacked
    // follows when one arrived.
    void startAdDownload();

    // Signs in with the remembered login, if there is one; autoSignInFinished follows.
    void startAutoSignIn();
    // Checks ID and PASSWORD with the server. A successful login is recorded (signed in, with
    // the account's name and viewing time) before DONE is called. When RECEIVER is gone by then,
    // neither happens, and a login the server granted is signed out again: the service never
    // holds a session the client does not show.
    void signIn(const QString& id, const QString& password, QObject* receiver,
                std::function<void(const LoginResult&)> done);
    // A newly registered account is signed in at once, named by its ID; this then asks the server
    // for the account's viewing time, and calls DONE once it has answered (not when RECEIVER is
    // gone by then). Whatever the server answers, the user stays signed in.
    void confirmRegistration(const QString& id, const QString& password, QObject* receiver,
                             std::function<void()> done);
    // Records a sign-in: the flag first, then ID, display name and password.
    void recordSignIn(const QString& id, const QString& displayName, const QString& password);
    // Signs the user out at the user's request; signOutFinished follows. The user stays signed
    // in when the server cannot be told.
    void signOut();
    bool signOutPending() const { return m_signOutPending; }
    // The sign-out when the client closes: the user is signed out whatever the server says.
    // THEN runs once it is done (at once when nobody is signed in).
    void signOutForClose(std::function<void()> then);

    // What the client does when its window closes, once the window is hidden: the first time in
    // a run it starts the ad companion (a moment later, without waiting for it) and removes the
    // downloaded channel list; then the user is signed out. THEN runs once all is done.
    void closeDown(std::function<void()> then);
    static constexpr int kCompanionDelayMs = 100;
    inline static const QString kAdCompanion = QStringLiteral("Advertise.exe");

    // A session identity, then the channel list; channelListFetched follows with RETRY.
    void fetchChannelList(bool retry);

    // The two-minute balance check while signed in. Starting it again restarts the interval.
    void startUseTimeTimer();
    void stopUseTimeTimer();
    bool useTimeTimerActive() const;
    // One balance query now; useTimeExhausted follows when the answer says no time is left.
    void checkUseTime();
    bool balancePending() const { return m_balancePending; }

    // The update check on a thread of its own; its findings arrive as signals.
    void setUpdateTiming(const UpdateCheck::Timing& timing) { m_updates.setTiming(timing); }
    void startUpdateCheck();
    void stopUpdateCheck();
    bool updateCheckRunning() const { return m_updates.running(); }

    // Waits up to MS for exchanges still running; false when some outlived the wait.
    bool waitForExchanges(int ms);

signals:
    void autoSignInFinished(bool signedIn);
    void adsUnpacked();
    void signOutFinished(bool signedOut);
    void channelListFetched(const ClientSession::ChannelListResult& result, bool retry);
    void useTimeExhausted();
    void newVersionFound(const QString& text2);
    void mandatoryUpdateFound();

private:
    void finishCloseDown(bool firstClose, std::function<void()> then);
    void applyLogin(const QString& id, const QString& password, const LoginResult& result);

    AppContext& m_context;
    std::unique_ptr<ClockTimer> m_useTimeTimer;
    bool m_balancePending = false;
    bool m_signOutPending = false;
    UpdateWatcher m_updates;
};
Q_DECLARE_METATYPE(ClientSession::ChannelListResult)
