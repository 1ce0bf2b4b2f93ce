#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class ConfigFile;

// The login remembered for 30 days in "UserInfo": ID, password and the day it was saved, each
// followed by "<EOF>".
namespace SavedLogin {

inline constexpr qint64 kValidDays = 30;

// 1 when a remembered login exists and is younger than 30 days at NOW, filling ID and PASSWORD;
// else 0. A day that is not a real date counts as no remembered login.
int LoadSavedLogin(const ConfigFile& config, QString& id, QString& password, const QDateTime& now);

// The plain record for ID and PASSWORD saved on DAY.
QString MakeRecord(const QString& id, const QString& password, const QDate& day);

}  // namespace SavedLogin
