#pragma once

#include <QString>

// Who is signed in to the service: the signed-in flag, the remaining viewing time and the user's
// ID, display name and password. The three texts can only be written while the flag is 1 and
// read as empty while it is 0; clearing the flag keeps them, so they show again when it is set.
// Writers call SetSignedIn(1) first, then the text setters; signing out is SetSignedIn(0) alone.
//
// The application keeps one, touched on the GUI thread only: a worker gets copies of the
// credentials it needs and hands its outcome back to be written here.
class SessionRecord {
public:
    int IsSignedIn() const;
    void SetSignedIn(int signedIn);

    // True when the remaining viewing time is above zero.
    bool HasUseTime() const;
    int GetUseTime() const;
    // Remaining viewing time in seconds; stored whatever the flag.
    void SetUseTime(int seconds);

    QString GetUserId() const;
    QString GetDisplayName() const;
    QString GetPassword() const;
    bool SetUserId(const QString& userId);
    bool SetDisplayName(const QString& displayName);
    bool SetPassword(const QString& password);

private:
    QString visible(const QString& field) const;
    bool store(QString& field, const QString& value);

    int m_signedIn = 0;
    int m_useTime = 0;
    QString m_userId;
    QString m_displayName;
    QString m_password;
};
