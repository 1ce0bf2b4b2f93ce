#include "SessionBook.h"

#include <QJsonArray>
#include <QRandomGenerator>

#include <algorithm>

void SessionBook::recordRequest(const QString& endpoint, const QJsonObject& last) {
    const std::lock_guard lock(m_mutex);
    ++m_requestCounts[endpoint];
    m_lastRequests.insert(endpoint, last);
}

QString SessionBook::issueIdentity() {
    // The identity is what lets a client fetch the channel list, so it comes from the system's
    // generator rather than a seeded one.
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    QString identity;
    for (const quint32 word : words) {
        identity += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    }
    const std::lock_guard lock(m_mutex);
    if (!m_identities.contains(identity)) {
        m_identities.insert(identity);
        m_identityOrder.push_back(identity);
    }
    while (m_identityOrder.size() > static_cast<std::size_t>(kMaxIdentities)) {
        m_identities.remove(m_identityOrder.front());
        m_identityOrder.pop_front();
    }
    return identity;
}

bool SessionBook::knowsIdentity(const QString& identity) const {
    const std::lock_guard lock(m_mutex);
    return m_identities.contains(identity);
}

QString SessionBook::issueCaptcha(const QString& address) {
    const QString code = QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(10000), 4, 10,
                                                  QLatin1Char('0'));
    const std::lock_guard lock(m_mutex);
    if (!m_captchas.contains(address)) {
        m_captchaOrder.push_back(address);
    }
    m_captchas.insert(address, code);
    while (m_captchaOrder.size() > static_cast<std::size_t>(kMaxCaptchas)) {
        m_captchas.remove(m_captchaOrder.front());
        m_captchaOrder.pop_front();
    }
    return code;
}

bool SessionBook::redeemCaptcha(const QString& address, const QString& code) {
    const std::lock_guard lock(m_mutex);
    const auto found = m_captchas.constFind(address);
    if (found == m_captchas.constEnd() || code.isEmpty() || *found != code) {
        return false;
    }
    m_captchas.erase(found);
    const auto inOrder = std::find(m_captchaOrder.begin(), m_captchaOrder.end(), address);
    if (inOrder != m_captchaOrder.end()) {
        m_captchaOrder.erase(inOrder);
    }
    return true;
}

void SessionBook::recordMail(const QString& id) {
    const std::lock_guard lock(m_mutex);
    m_mails.append(id);
    if (m_mails.size() > kMaxMails) {
        m_mails.removeFirst();
    }
}

void SessionBook::recordDatagram(const QString& command, const QString& text) {
    const std::lock_guard lock(m_mutex);
    ++m_datagramCounts[command];
    m_lastDatagrams.insert(command, text);
}

QJsonObject SessionBook::snapshot() const {
    const std::lock_guard lock(m_mutex);
    QJsonObject requests;
    for (auto it = m_requestCounts.cbegin(); it != m_requestCounts.cend(); ++it) {
        requests.insert(it.key(), it.value());
    }
    QJsonObject captchas;
    for (auto it = m_captchas.cbegin(); it != m_captchas.cend(); ++it) {
        captchas.insert(it.key(), it.value());
    }
    QJsonArray identities;
    for (const QString& identity : m_identityOrder) {
        identities.append(identity);
    }
    // The two known commands are always listed, so a test can read a zero count directly.
    QJsonObject datagrams{{QStringLiteral("001"), 0}, {QStringLiteral("002"), 0}};
    for (auto it = m_datagramCounts.cbegin(); it != m_datagramCounts.cend(); ++it) {
        datagrams.insert(it.key(), it.value());
    }
    return QJsonObject{
        {QStringLiteral("requests"), requests},
        {QStringLiteral("last"), m_lastRequests},
        {QStringLiteral("captcha"), captchas},
        {QStringLiteral("uuids"), identities},
        {QStringLiteral("mails"), QJsonArray::fromStringList(m_mails)},
        {QStringLiteral("datagrams"), datagrams},
        {QStringLiteral("lastDatagram"), m_lastDatagrams},
    };
}
