#include "DataStore.h"

#include "DemoData.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

void report(const QString& message) {
    std::fprintf(stderr, "refservice: %s\n", qPrintable(message));
}

std::optional<QJsonDocument> parseJson(const QByteArray& bytes, QString& error) {
    QJsonParseError parseError{};
    QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error =
            QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    return document;
}

// A whole number of milliseconds, written either as a JSON number or as decimal text.
std::optional<qint64> parseMilliseconds(const QJsonValue& value) {
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number) {
            return std::nullopt;
        }
        return value.toInteger(static_cast<qint64>(number));
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

DataStore::DataStore(const QString& folder)
    : m_folder(folder),
      m_accountsFile(QDir(folder).filePath(QStringLiteral("accounts.json"))),
      m_registrationsFile(QDir(folder).filePath(QStringLiteral("registrations.json"))),
      m_updateFile(QDir(folder).filePath(QStringLiteral("update.json"))),
      m_channelsFile(QDir(folder).filePath(QStringLiteral("channels.xml"))) {}

bool DataStore::open(const QString& streamBase, QString& error) {
    QDir folder(m_folder);
    if (!folder.mkpath(QStringLiteral(".")) || !folder.mkpath(QStringLiteral("ads"))) {
        error = QStringLiteral("cannot create the data folder %1").arg(m_folder);
        return false;
    }
    // Only what is missing is created: an operator's own accounts or channel list stay.
    const std::pair<WatchedFile*, std::function<QByteArray()>> demoFiles[] = {
        {&m_accountsFile, &DemoData::accountsJson},
        {&m_registrationsFile, &DemoData::registrationsJson},
        {&m_updateFile, &DemoData::updateJson},
        {&m_channelsFile, [&streamBase] { return DemoData::channelListXml(streamBase); }},
    };
    for (const auto& [file, content] : demoFiles) {
        if (!file->exists() && !file->write(content(), error)) {
            return false;
        }
    }
    // The demo's advertisements, unless the operator put archives of their own there.
    const std::pair<const char*, std::function<QByteArray()>> demoArchives[] = {
        {"VELO_BOTTOM_AD_JP_F", &DemoData::bannerArchive},
        {"VELO_REAR_AD_JP_F", &DemoData::popUpArchive},
    };
    for (const auto& [key, content] : demoArchives) {
        QFile archive(folder.filePath(QStringLiteral("ads/%1.zip").arg(QLatin1String(key))));
        if (!archive.exists()) {
            const QByteArray bytes = content();
            if (bytes.isEmpty() || !archive.open(QIODevice::WriteOnly) ||
                archive.write(bytes) != bytes.size()) {
                error = QStringLiteral("cannot write the demo archive %1").arg(archive.fileName());
                return false;
            }
        }
    }
    return loadAccounts(error) && loadRegistrations(error) && loadUpdate(error) &&
           loadChannels(error);
}

std::optional<DataStore::Account> DataStore::account(const QString& id) {
    const std::lock_guard lock(m_mutex);
    refreshLocked();
    const qsizetype index = indexOfLocked(id);
    if (index < 0) {
        return std::nullopt;
    }
    return m_accounts.at(index);
}

bool DataStore::putAccount(const Account& account, QString& error) {
    const std::lock_guard lock(m_mutex);
    refreshLocked();
    QList<Account> accounts = m_accounts;
    const qsizetype index = indexOfLocked(account.id);
    if (index < 0) {
        accounts.append(account);
    } else {
        accounts[index] = account;
    }
    if (!m_accountsFile.write(accountsJson(accounts), error)) {
        return false;
    }
    m_accounts = accounts;
    return true;
}

DataStore::Registration DataStore::registerAccount(const QString& id, const QString& password,
                                                   qint64 useTimeMs, QString& error) {
    const std::lock_guard lock(m_mutex);
    refreshLocked();
    if (indexOfLocked(id) >= 0) {
        return Registration::Exists;
    }
    QList<Account> accounts = m_accounts;
    accounts.append(Account{id, password, id, useTimeMs, false});
    if (!m_accountsFile.write(accountsJson(accounts), error)) {
        return Registration::Failed;
    }
    m_accounts = accounts;

    QJsonArray registrations = m_registrations;
    registrations.append(QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
    });
    // The account exists now whatever happens to the log, so a failure here is only reported.
    QString logError;
    if (m_registrationsFile.write(QJsonDocument(registrations).toJson(QJsonDocument::Indented),
                                  logError)) {
        m_registrations = registrations;
    } else {
        report(logError);
    }
    return Registration::Added;
}

DataStore::UpdateNotice DataStore::updateNotice() {
    const std::lock_guard lock(m_mutex);
    refreshLocked();
    return m_update;
}

bool DataStore::setUpdateNotice(const UpdateNotice& notice, QString& error) {
    const std::lock_guard lock(m_mutex);
    if (!m_updateFile.write(updateJson(notice), error)) {
        return false;
    }
    m_update = notice;
    return true;
}

QByteArray DataStore::channelList() {
    const std::lock_guard lock(m_mutex);
    refreshLocked();
    return m_channels;
}

std::optional<QByteArray> DataStore::adArchive(const QString& key) const {
    // The key becomes part of a file name, so only the characters ad keys are made of pass.
    if (key.isEmpty() || key.size() > 128) {
        return std::nullopt;
    }
    for (const QChar c : key) {
        const bool allowed = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                             (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('_');
        if (!allowed) {
            return std::nullopt;
        }
    }
    QFile file(QDir(m_folder).filePath(QStringLiteral("ads/%1.zip").arg(key)));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<DataStore::UpdateMode> DataStore::modeNamed(const QString& name) {
    if (name == QLatin1String("none")) {
        return UpdateMode::None;
    }
    if (name == QLatin1String("new")) {
        return UpdateMode::New;
    }
    if (name == QLatin1String("mandatory")) {
        return UpdateMode::Mandatory;
    }
    return std::nullopt;
}

QString DataStore::modeName(UpdateMode mode) {
    switch (mode) {
        case UpdateMode::New:
            return QStringLiteral("new");
        case UpdateMode::Mandatory:
            return QStringLiteral("mandatory");
        case UpdateMode::None:
            break;
    }
    return QStringLiteral("none");
}

std::optional<QList<DataStore::Account>> DataStore::parseAccounts(const QByteArray& bytes,
                                                                  QString& error) {
    const auto document = parseJson(bytes, error);
    if (!document) {
        return std::nullopt;
    }
    if (!document->isArray()) {
        error = QStringLiteral("the top level is not an array");
        return std::nullopt;
    }
    QList<Account> accounts;
    const QJsonArray entries = document->array();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        Account account;
        account.id = entry.value(QStringLiteral("id")).toString();
        if (account.id.isEmpty()) {
            error = QStringLiteral("entry %1 has no \"id\" text").arg(i);
            return std::nullopt;
        }
        account.password = entry.value(QStringLiteral("password")).toString();
        account.name = entry.value(QStringLiteral("name")).toString(account.id);
        const QJsonValue useTime = entry.value(QStringLiteral("useTimeMs"));
        if (!useTime.isUndefined()) {
            const auto milliseconds = parseMilliseconds(useTime);
            if (!milliseconds) {
                error = QStringLiteral("entry %1 has an unusable \"useTimeMs\"").arg(i);
                return std::nullopt;
            }
            account.useTimeMs = *milliseconds;
        }
        account.busy = entry.value(QStringLiteral("busy")).toBool(false);
        accounts.append(account);
    }
    return accounts;
}

QByteArray DataStore::accountsJson(const QList<Account>& accounts) {
    QJsonArray entries;
    for (const Account& account : accounts) {
        entries.append(QJsonObject{
            {QStringLiteral("id"), account.id},
            {QStringLiteral("password"), account.password},
            {QStringLiteral("name"), account.name},
            {QStringLiteral("useTimeMs"), account.useTimeMs},
            {QStringLiteral("busy"), account.busy},
        });
    }
    return QJsonDocument(entries).toJson(QJsonDocument::Indented);
}

std::optional<DataStore::UpdateNotice> DataStore::parseUpdate(const QByteArray& bytes,
                                                              QString& error) {
    const auto document = parseJson(bytes, error);
    if (!document) {
        return std::nullopt;
    }
    if (!document->isObject()) {
        error = QStringLiteral("the top level is not an object");
        return std::nullopt;
    }
    const QJsonObject object = document->object();
    const QString modeText = object.value(QStringLiteral("mode")).toString(QStringLiteral("none"));
    const auto mode = modeNamed(modeText);
    if (!mode) {
        error = QStringLiteral("\"mode\" is \"%1\", not none, new or mandatory").arg(modeText);
        return std::nullopt;
    }
    return UpdateNotice{*mode, object.value(QStringLiteral("text1")).toString(),
                        object.value(QStringLiteral("text2")).toString()};
}

QByteArray DataStore::updateJson(const UpdateNotice& notice) {
    const QJsonObject object{
        {QStringLiteral("mode"), modeName(notice.mode)},
        {QStringLiteral("text1"), notice.text1},
        {QStringLiteral("text2"), notice.text2},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<QJsonArray> DataStore::parseRegistrations(const QByteArray& bytes, QString& error) {
    const auto document = parseJson(bytes, error);
    if (!document) {
        return std::nullopt;
    }
    if (!document->isArray()) {
        error = QStringLiteral("the top level is not an array");
        return std::nullopt;
    }
    return document->array();
}

namespace {

// Reads FILE through PARSE into TARGET; on failure ERROR names the file and TARGET stays.
template <typename Target, typename Parse>
bool loadParsed(WatchedFile& file, Parse parse, Target& target, QString& error) {
    const auto bytes = file.read();
    auto parsed = bytes ? parse(*bytes, error) : std::nullopt;
    if (!bytes) {
        error = QStringLiteral("cannot read");
    }
    if (!parsed) {
        error = QStringLiteral("%1: %2").arg(file.path(), error);
        return false;
    }
    target = *parsed;
    return true;
}

}  // namespace

bool DataStore::loadAccounts(QString& error) {
    return loadParsed(m_accountsFile, parseAccounts, m_accounts, error);
}

bool DataStore::loadRegistrations(QString& error) {
    return loadParsed(m_registrationsFile, parseRegistrations, m_registrations, error);
}

bool DataStore::loadUpdate(QString& error) {
    return loadParsed(m_updateFile, parseUpdate, m_update, error);
}

bool DataStore::loadChannels(QString& error) {
    // The channel list goes out byte for byte; checking its content is the client's business.
    const auto bytes = m_channelsFile.read();
    if (!bytes) {
        error = QStringLiteral("%1: cannot read").arg(m_channelsFile.path());
        return false;
    }
    m_channels = *bytes;
    return true;
}

void DataStore::refreshLocked() {
    const std::pair<WatchedFile*, bool (DataStore::*)(QString&)> files[] = {
        {&m_accountsFile, &DataStore::loadAccounts},
        {&m_registrationsFile, &DataStore::loadRegistrations},
        {&m_updateFile, &DataStore::loadUpdate},
        {&m_channelsFile, &DataStore::loadChannels},
    };
    for (const auto& [file, load] : files) {
        QString error;
        if (file->changedOnDisk() && !(this->*load)(error)) {
            report(QStringLiteral("%1 (keeping the previous content)").arg(error));
        }
    }
}

qsizetype DataStore::indexOfLocked(const QString& id) const {
    for (qsizetype i = 0; i < m_accounts.size(); ++i) {
        if (m_accounts.at(i).id == id) {
            return i;
        }
    }
    return -1;
}
