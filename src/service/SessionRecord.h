#pragma once

#include <QString>

// The one record of who is signed in to the service. The user's ID, display name and password
// can only be written while the signed-in flag is 1 and read as empty while it is 0; clearing the
// flag keeps them, so they show again when it is set. Writers call SetSignedIn(1) first, then the
// string setters; signing out is SetSignedIn(0) alone.
//
// Any thread may call these: a sign-in worker writes the record while the window reads it. Each
// call is atomic on its own; nothing promises that several fields change together.

int IsSignedIn();
void SetSignedIn(int signedIn);

// True when the remaining viewing time is above zero.
bool HasUseTime();
int GetUseTime();
// Remaining viewing time in seconds; stored whatever the flag.
void SetUseTime(int seconds);

QString GetUserId();
QString GetDisplayName();
QString GetPassword();
bool SetUserId(const QString& userId);
bool SetDisplayName(const QString& displayName);
bool SetPassword(const QString& password);
