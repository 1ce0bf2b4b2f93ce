#pragma once

#include <QString>

#include <optional>

class ServiceConfig;

// Signing in and out with the service's web server. Both only talk to the server: the caller
// records the outcome in the session record.
namespace LoginExchange {

inline const QString kLoginFailed = QStringLiteral("ログインに失敗しました!");
inline const QString kNoLoginInfo =
    QStringLiteral("ログイン情報を取得することができません、ネットワークをチェックしてください!");
inline const QString kSignedInElsewhere =
    QStringLiteral("現時ユーザーはもう他の場所に登録しました!");
inline const QString kWrongIdOrPassword =
    QStringLiteral("VELO IDまたはパスワードが正しくありません、もう一度試してください!");

// What a login exchange came to.
struct LoginResult {
    bool ok = false;
    QString message = kLoginFailed;  // for the user, when it failed
    QString displayName;             // the account's name (the ID when the reply has none)
    std::optional<int> useTime;      // remaining viewing time in seconds, when the reply said
};

// What a login reply BODY says for ID: the reply is read as a whole once it has arrived.
LoginResult ReadLoginReply(const QByteArray& body, const QString& id);

// Checks ID and PASSWORD with the server.
LoginResult Login(const ServiceConfig& config, const QString& id, const QString& password);

// Tells the server that the user with ID and PASSWORD leaves. False only when the server could
// not be reached or its reply began with an empty line.
bool Logout(const ServiceConfig& config, const QString& id, const QString& password);

// The remaining time, in seconds, of a "UseTime" value in milliseconds.
int UseTimeSeconds(const QByteArray& milliseconds);

}  // namespace LoginExchange
