#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class ServiceConfig;

// Opening an account and asking for a forgotten password: the checks a form passes before it
// goes out, the two requests, and what their replies say to the user. The windows and the
// command-line tool share all of it, so both refuse and report alike.
namespace AccountExchange {

inline const QString kEnterEmail = QStringLiteral("メールを入力してください ");
inline const QString kEnterValidEmail = QStringLiteral("正しいメールを入力してください");
// The recovery form says the same with a blank after it.
inline const QString kEnterValidEmailForRecovery =
    QStringLiteral("正しいメールを入力してください ");
inline const QString kEnterValidPassword =
    QStringLiteral("正しいパスワードを入力してください（６～２０文字）");
inline const QString kPasswordsDiffer =
    QStringLiteral("パスワードが一致していません、再び入力してください！");
inline const QString kEnterCode = QStringLiteral("確認コードを入力してください ");

inline const QString kRegistered = QStringLiteral("登録が完了しました ");
inline const QString kWrongCode = QStringLiteral("正しい確認コードを入力してください ");
inline const QString kNetworkError = QStringLiteral("ネットワークエラー ");
inline const QString kIdTaken = QStringLiteral("このIDは既に使用されています ");
inline const QString kPasswordSent =
    QStringLiteral("VELOはあなたのメールアドレスにバスワードを送信しました。ご確認ください ");
inline const QString kNoSuchId = QStringLiteral("このIDは存在しません ");

// What a failed captcha download says, in the registration and in the recovery form.
inline const QString kRegistrationTimeout = QStringLiteral("タイムアウト ");
inline const QString kRecoveryTimeout = QStringLiteral("タイムアウト");

inline constexpr int kMaxEmailLength = 40;
inline constexpr int kMinPasswordLength = 6;
inline constexpr int kMaxPasswordLength = 20;

// The registration form's address check: not empty, nothing above U+00A0, an "@" and a "."
// that is not the last character. False with the text to show in MESSAGE.
bool CheckEmail(const QString& email, QString& message);
// The recovery form's check: the same, but any character is allowed.
bool CheckRecoveryEmail(const QString& email, QString& message);
// 6 to 20 UTF-16 units, typed the same twice.
bool CheckPassword(const QString& password, const QString& confirmation, QString& message);

// Everything a registration form must pass before it is sent, in the order the user is told:
// the address, the password, the code, and a form too long to send whole. The text to show when
// refused; nothing when the form may go.
std::optional<QString> CheckRegistration(const QString& email, const QString& password,
                                         const QString& confirmation, const QString& code);
std::optional<QString> CheckRecovery(const QString& email, const QString& code);

// What came back from one of the two requests.
struct Reply {
    enum class Kind {
        NetworkFailure,  // no connection, the request could not go out, or no reply came
        Empty,           // the reply's first line is empty
        Unreadable,      // a reply came but broke off or was far too long
        Status,          // a first line was read; STATUS is its Result/Status, empty if none
    };
    Kind kind = Kind::NetworkFailure;
    QByteArray status;
};

// What a reply BODY says: its first line, read as a Result document.
Reply ReadReply(const QByteArray& body);

// Opens an account for EMAIL with PASSWORD, proving CODE from the latest captcha.
Reply Register(const ServiceConfig& config, const QString& email, const QString& password,
               const QString& code);
// Asks the service to mail EMAIL its password, proving CODE.
Reply FindPassword(const ServiceConfig& config, const QString& email, const QString& code);

// The text a registration status shows; empty when the label keeps what it says.
QString RegistrationText(const QByteArray& status);
// The same for a recovery status.
QString RecoveryText(const QByteArray& status);
// Whether a recovery status makes the form fetch a new captcha (a refusal used the old one up).
bool RecoveryWantsNewCaptcha(const QByteArray& status);

}  // namespace AccountExchange
