#pragma once

#include "WatchedFile.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

#include <mutex>
#include <optional>

// The service's data folder: accounts, registrations, the update notice, the channel list and
// the ad archives. Files that are missing are created with demo content; every change is written
// atomically, and files edited by hand while the service runs are picked up at the next request
// (a broken edit is reported and the last good content stays in use). Thread-safe.
class DataStore {
public:
    struct Account {
        QString id;
        QString password;
        QString name;
        qint64 useTimeMs = 0;
        bool busy = false;
    };

    enum class UpdateMode { None, New, Mandatory };

    struct UpdateNotice {
        UpdateMode mode = UpdateMode::None;
        QString text1;
        QString text2;
    };

    enum class Registration { Added, Exists, Failed };

    explicit DataStore(const QString& folder);

    // Creates the folder and the missing files, then reads them all; a new channel list's
    // addresses name the streams at STREAM_BASE. On failure ERROR says which file is unusable
    // and why.
    bool open(const QString& streamBase, QString& error);

    std::optional<Account> account(const QString& id);

    // Creates the account or replaces the one with the same id.
    bool putAccount(const Account& account, QString& error);

    // Adds a new account (its name is its id) and records the registration.
    Registration registerAccount(const QString& id, const QString& password, qint64 useTimeMs,
                                 QString& error);

    UpdateNotice updateNotice();
    bool setUpdateNotice(const UpdateNotice& notice, QString& error);

    QByteArray channelList();

    // The bytes of ads/KEY.zip; nothing for a key outside [A-Z0-9_]+ or a missing archive.
    std::optional<QByteArray> adArchive(const QString& key) const;

    static std::optional<UpdateMode> modeNamed(const QString& name);
    static QString modeName(UpdateMode mode);

private:
    static std::optional<QList<Account>> parseAccounts(const QByteArray& bytes, QString& error);
    static QByteArray accountsJson(const QList<Account>& accounts);
    static std::optional<UpdateNotice> parseUpdate(const QByteArray& bytes, QString& error);
    static QByteArray updateJson(const UpdateNotice& notice);
    static std::optional<QJsonArray> parseRegistrations(const QByteArray& bytes, QString& error);

    // Each loader reads its file and, when it parses, takes it as the current content. The
    // caller holds m_mutex (or is open(), before any other thread exists).
    bool loadAccounts(QString& error);
    bool loadRegistrations(QString& error);
    bool loadUpdate(QString& error);
    bool loadChannels(QString& error);

    // Takes in hand edits made since the last read. The caller holds m_mutex.
    void refreshLocked();

    qsizetype indexOfLocked(const QString& id) const;

    QString m_folder;
    std::mutex m_mutex;
    WatchedFile m_accountsFile;
    WatchedFile m_registrationsFile;
    WatchedFile m_updateFile;
    WatchedFile m_channelsFile;
    QList<Account> m_accounts;
    QJsonArray m_registrations;
    UpdateNotice m_update;
    QByteArray m_channels;
};
