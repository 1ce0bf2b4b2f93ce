#pragma once

#include <QString>

class ConfigFile;

// Signing in and out with the service's web server. Neither changes the signed-in flag: the
// caller sets it after a successful login and clears it after signing out.
namespace LoginExchange {

inline const QString kLoginFailed = QStringLiteral("ログインに失敗しました!");
inline const QString kNoLoginInfo =
    QStringLiteral("ログイン情報を取得することができません、ネットワークをチェックしてください!");
inline const QString kSignedInElsewhere =
    QStringLiteral("現時ユーザーはもう他の場所に登録しました!");
inline const QString kWrongIdOrPassword =
    QStringLiteral("VELO IDまたはパスワードが正しくありません、もう一度試してください!");

// Checks ID and PASSWORD. On success DISPLAYNAME is the account's name (the ID when the reply
// has none) and the session record's use time is updated. On failure MESSAGE is set for the
// user; the caller presets it.
bool Login(const ConfigFile& config, const QString& id, const QString& password,
           QString& displayName, QString& message);

// Tells the server that the signed-in user leaves, with the session record's ID and password.
// False only when the server could not be reached or its reply began with an empty line.
bool Logout(const ConfigFile& config);

// The remaining time, in seconds, of a "UseTime" value in milliseconds.
int UseTimeSeconds(const QByteArray& milliseconds);

}  // namespace LoginExchange
