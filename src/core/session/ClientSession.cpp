#include "session/ClientSession.h"

#include "ads/AdDownload.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelSearch.h"
#include "platform/AsyncTask.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "service/BalanceQuery.h"
#include "service/ChannelListDownload.h"
#include "service/SessionRecord.h"
#include "service/TicketRequest.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"

#include <QFile>
#include <QPointer>
#include <QProcess>

#include <algorithm>

ClientSession::ClientSession(AppContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    m_useTimeTimer = m_context.clock->createTimer([this] { checkUseTime(); });
    connect(&m_updates, &UpdateWatcher::newVersionFound, this, &ClientSession::newVersionFound);
    connect(&m_updates, &UpdateWatcher::mandatoryUpdateFound, this,
            &ClientSession::mandatoryUpdateFound);
}

ClientSession::~ClientSession() {
    stopUpdateCheck();
}

SessionRecord& ClientSession::record() const {
    return m_context.session;
}

void ClientSession::recordSignIn(const QString& id, const QString& displayName,
                                 const QString& password) {
    SessionRecord& session = record();
    session.SetSignedIn(1);
    session.SetUserId(id);
    session.SetDisplayName(displayName);
    session.SetPassword(password);
}

void ClientSession::applyLogin(const QString& id, const QString& password,
                               const LoginResult& result) {
    if (result.useTime) {
        record().SetUseTime(*result.useTime);
    }
    if (result.ok) {
        recordSignIn(id, result.displayName, password);
    }
}

void ClientSession::startAdDownload() {
    const QString folder = m_context.dataDir();
    const ConfigFile config = m_context.config();
    // The session identity as it stands now: usually none yet, which the server accepts.
    const QString uuid = m_context.service->uuid();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [folder, config, uuid] {
            std::vector<AdDownload::Fetch> fetched;
            AdDownload::FetchAll(folder, config.adServer(), uuid, &fetched);
            return std::any_of(fetched.begin(), fetched.end(),
                               [](const AdDownload::Fetch& fetch) { return fetch.unpacked; });
        },
        [this](bool unpacked) {
            if (unpacked) {
                emit adsUnpacked();
            }
        });
}

void ClientSession::startAutoSignIn() {
    struct Outcome {
        bool remembered = false;
        QString id;
        QString password;
        LoginResult login;
    };
    const ConfigFile config = m_context.config();
    const QDateTime now = m_context.clock->now();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, now] {
            Outcome outcome;
            outcome.remembered =
                SavedLogin::LoadSavedLogin(config, outcome.id, outcome.password, now) == 1;
            if (outcome.remembered) {
                outcome.login = LoginExchange::Login(config, outcome.id, outcome.password);
            }
            return outcome;
        },
        [this](const Outcome& outcome) {
            if (outcome.remembered) {
                applyLogin(outcome.id, outcome.password, outcome.login);
            }
            emit autoSignInFinished(outcome.login.ok);
            if (record().IsSignedIn() != 0) {
                startUseTimeTimer();
            }
        });
}

void ClientSession::signIn(const QString& id, const QString& password, QObject* receiver,
                           std::function<void(const LoginResult&)> done) {
    const ConfigFile config = m_context.config();
    QPointer<QObject> asker(receiver);
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, id, password] { return LoginExchange::Login(config, id, password); },
        [this, asker, config, id, password, done = std::move(done)](const LoginResult& result) {
            if (!asker) {
                if (result.ok) {
                    AsyncTask::run(m_context.workers.pool(), [config, id, password] {
                        LoginExchange::Logout(config, id, password);
                    });
                }
                return;
            }
            applyLogin(id, password, result);
            if (done) {
                done(result);
            }
        });
}

void ClientSession::confirmRegistration(const QString& id, const QString& password,
                                        QObject* receiver, std::function<void()> done) {
    const ConfigFile config = m_context.config();
    QPointer<QObject> asker(receiver);
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, id, password] { return LoginExchange::Login(config, id, password); },
        [this, asker, id, done = std::move(done)](const LoginResult& result) {
            // Only the viewing time counts, and only while that account is still the one signed in.
            SessionRecord& session = record();
            if (result.useTime && session.IsSignedIn() != 0 && session.GetUserId() == id) {
                session.SetUseTime(*result.useTime);
            }
            if (asker && done) {
                done();
            }
        });
}

void ClientSession::signOut() {
    if (m_signOutPending) {
        return;
    }
    m_signOutPending = true;
    const ConfigFile config = m_context.config();
    const QString id = record().GetUserId();
    const QString password = record().GetPassword();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, id, password] { return LoginExchange::Logout(config, id, password); },
        [this](bool signedOut) {
            m_signOutPending = false;
            if (signedOut) {
                record().SetSignedIn(0);
                stopUseTimeTimer();
            }
            emit signOutFinished(signedOut);
        });
}

void ClientSession::signOutForClose(std::function<void()> then) {
    if (record().IsSignedIn() == 0) {
        if (then) {
            then();
        }
        return;
    }
    stopUseTimeTimer();
    const ConfigFile config = m_context.config();
    const QString id = record().GetUserId();
    const QString password = record().GetPassword();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [config, id, password] { return LoginExchange::Logout(config, id, password); },
        [this, then = std::move(then)](bool) {
            // Signed out whatever the server said.
            record().SetSignedIn(0);
            stopUseTimeTimer();
            if (then) {
                then();
            }
        });
}

void ClientSession::closeDown(std::function<void()> then) {
    if (m_context.closeCounter != 1) {
        finishCloseDown(false, std::move(then));
        return;
    }
    ++m_context.closeCounter;
    const QString companion = ProgramFolder::file(m_context.m_strExeDir, kAdCompanion);
    if (!QFile::exists(companion)) {
        finishCloseDown(true, std::move(then));
        return;
    }
    m_context.clock->singleShot(kCompanionDelayMs, this, [this, companion, then = std::move(then)] {
        QProcess::startDetached(companion, {});
        finishCloseDown(true, then);
    });
}

void ClientSession::finishCloseDown(bool firstClose, std::function<void()> then) {
    if (firstClose) {
        QFile::remove(ChannelListDownload::filePath(m_context.dataDir()));
    }
    signOutForClose(std::move(then));
}

void ClientSession::fetchChannelList(bool retry) {
    const QString folder = m_context.dataDir();
    const ConfigFile config = m_context.config();
    const std::shared_ptr<ServiceState> service = m_context.service;
    // The worker also reads the downloaded file, so a long list never stalls the window.
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [folder, config, service] {
            ChannelListResult result;
            TicketRequest::RequestTicket(config, *service);
            result.downloaded = ChannelListDownload::DownloadChannelList(config, *service, folder);
            if (result.downloaded) {
                result.lists = std::make_shared<ChannelList>();
                result.sets = LoadChannelFile(ChannelListDownload::filePath(folder), *result.lists);
                if (result.sets > 0) {
                    // Kanji names are read here too, where nobody waits for the dictionary.
                    result.search = std::make_shared<const ChannelSearch>(
                        *result.lists, ChannelSearch::Readings::With);
                }
            }
            return result;
        },
        [this, retry](const ChannelListResult& result) {
            m_context.traceEvent(!result.downloaded ? "list-not-downloaded"
                                 : result.sets == 0 ? "list-unreadable"
                                                    : "list-read");
            emit channelListFetched(result, retry);
        });
}

void ClientSession::startUseTimeTimer() {
    m_useTimeTimer->start(kUseTimeTimerMs);
}

void ClientSession::stopUseTimeTimer() {
    m_useTimeTimer->stop();
}

bool ClientSession::useTimeTimerActive() const {
    return m_useTimeTimer->isActive();
}

void ClientSession::checkUseTime() {
    if (m_balancePending) {
        return;
    }
    m_balancePending = true;
    const std::shared_ptr<ServiceState> service = m_context.service;
    const QString id = record().GetUserId();
    const QString password = record().GetPassword();
    AsyncTask::runThenCallback(
        m_context.workers.pool(), this,
        [service, id, password] { return BalanceQuery::QueryBalance(*service, id, password); },
        [this](const BalanceQuery::Answer& answer) {
            m_balancePending = false;
            m_context.traceEvent(answer.outcome == BalanceQuery::Outcome::Answered
                                     ? "balance-answered"
                                     : "balance-unanswered");
            if (answer.outcome != BalanceQuery::Outcome::Answered) {
                return;
            }
            record().SetUseTime(answer.useTime);
            if (!record().HasUseTime()) {
                emit useTimeExhausted();
            }
        });
}

void ClientSession::startUpdateCheck() {
    m_updates.start(m_context.service);
}

void ClientSession::stopUpdateCheck() {
    m_updates.stop();
}

bool ClientSession::waitForExchanges(int ms) {
    return m_context.workers.waitForDone(ms);
}
