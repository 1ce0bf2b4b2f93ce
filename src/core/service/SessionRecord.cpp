#include "service/SessionRecord.h"

QString SessionRecord::visible(const QString& field) const {
    return m_signedIn == 1 ? field : QString();
}

bool SessionRecord::store(QString& field, const QString& value) {
    if (m_signedIn != 1) {
        return false;
    }
    field = value;
    return true;
}

int SessionRecord::IsSignedIn() const {
    return m_signedIn;
}

void SessionRecord::SetSignedIn(int signedIn) {
    m_signedIn = signedIn;
}

bool SessionRecord::HasUseTime() const {
    return m_useTime > 0;
}

int SessionRecord::GetUseTime() const {
    return m_useTime;
}

void SessionRecord::SetUseTime(int seconds) {
    m_useTime = seconds;
}

QString SessionRecord::GetUserId() const {
    return visible(m_userId);
}

QString SessionRecord::GetDisplayName() const {
    return visible(m_displayName);
}

QString SessionRecord::GetPassword() const {
    return visible(m_password);
}

bool SessionRecord::SetUserId(const QString& userId) {
    return store(m_userId, userId);
}

bool SessionRecord::SetDisplayName(const QString& displayName) {
    return store(m_displayName, displayName);
}

bool SessionRecord::SetPassword(const QString& password) {
    return store(m_password, password);
}
