#include "service/SessionRecord.h"

#include <mutex>

namespace {

struct SessionRecord {
    std::mutex mutex;
    int signedIn = 0;
    int useTime = 0;
    QString userId;
    QString displayName;
    QString password;
};

SessionRecord& record() {
    static SessionRecord instance;
    return instance;
}

QString readField(QString SessionRecord::*field) {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    return r.signedIn == 1 ? r.*field : QString();
}

bool writeField(QString SessionRecord::*field, const QString& value) {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    if (r.signedIn != 1) {
        return false;
    }
    r.*field = value;
    return true;
}

}  // namespace

int IsSignedIn() {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    return r.signedIn;
}

void SetSignedIn(int signedIn) {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    r.signedIn = signedIn;
}

bool HasUseTime() {
    return GetUseTime() > 0;
}

int GetUseTime() {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    return r.useTime;
}

void SetUseTime(int seconds) {
    SessionRecord& r = record();
    const std::lock_guard lock(r.mutex);
    r.useTime = seconds;
}

QString GetUserId() {
    return readField(&SessionRecord::userId);
}

QString GetDisplayName() {
    return readField(&SessionRecord::displayName);
}

QString GetPassword() {
    return readField(&SessionRecord::password);
}

bool SetUserId(const QString& userId) {
    return writeField(&SessionRecord::userId, userId);
}

bool SetDisplayName(const QString& displayName) {
    return writeField(&SessionRecord::displayName, displayName);
}

bool SetPassword(const QString& password) {
    return writeField(&SessionRecord::password, password);
}
