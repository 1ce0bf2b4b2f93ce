#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <mutex>

// What the service remembers between requests (issued identities, captcha codes, mails sent)
// and what it has seen (request counts and the last request per endpoint), so tests can look at
// both. The remembered sets are bounded: a demo that runs for hours must not grow without end.
// Thread-safe.
class SessionBook {
public:
    static constexpr qsizetype kMaxIdentities = 20000;
    static constexpr qsizetype kMaxCaptchas = 10000;
    static constexpr qsizetype kMaxMails = 1000;

    // Counts a request to ENDPOINT and keeps LAST (target, body, params) as its latest.
    void recordRequest(const QString& endpoint, const QJsonObject& last);

    // A new random identity of 32 hexadecimal digits, remembered from now on.
    QString issueIdentity();
    bool knowsIdentity(const QString& identity) const;

    // A new random 4-digit code for ADDRESS, replacing any earlier one.
    QString issueCaptcha(const QString& address);

    // True when CODE is the one issued to ADDRESS; a code that matched is used up.
    bool redeemCaptcha(const QString& address, const QString& code);

    void recordMail(const QString& id);

    // Counts a datagram with COMMAND ("001", "002" or "other") and keeps its text.
    void recordDatagram(const QString& command, const QString& text);

    QJsonObject snapshot() const;

private:
    mutable std::mutex m_mutex;
    QMap<QString, qint64> m_requestCounts;
    QJsonObject m_lastRequests;
    QSet<QString> m_identities;
    std::deque<QString> m_identityOrder;
    QHash<QString, QString> m_captchas;
    std::deque<QString> m_captchaOrder;
    QStringList m_mails;
    QMap<QString, qint64> m_datagramCounts;
    QJsonObject m_lastDatagrams;
};
