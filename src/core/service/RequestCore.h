#pragma once

#include "service/HttpRequest.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// What every exchange with the service's web server shares: the form exchange (a POST of form
// fields whose reply is a small XML document) and the address exchange (a GET of the server
// address plus a path, whose reply is searched for fixed tags), and the failure messages.
namespace RequestCore {

inline const QString kConnectFailed =
    QStringLiteral("ネットワーク接続が失敗しました、ネットワークをチェックしてください!");
inline const QString kPostFailed =
    QStringLiteral("POSTが失敗に要請しました、ネットワークをチェックしてください!");
inline const QString kTimedOut =
    QStringLiteral("ネットワークのタイムアウト、ネットワークをチェックしてください!");
// Form text that would not fit the request is refused before anything is sent.
inline const QString kInputTooLong =
    QStringLiteral("入力が長すぎます、短くしてからもう一度試してください!");

// The form text's UTF-8 bytes, before encoding, may not exceed this.
inline constexpr qsizetype kMaxFormBytes = 255;

using Fields = QList<QPair<QString, QString>>;

enum class FormFailure { None, TooLong, Connect, Post, Timeout };

struct FormReply {
    FormFailure failure = FormFailure::None;
    QString message;  // the text for the user when the exchange failed
    QByteArray body;  // the reply, whole (bounded)
    // The reply arrived but cannot be taken as read: it broke off, or it was too long to be
    // ours (the body then holds what came, or nothing).
    bool unreadable = false;
};

// A server address taken apart: what an exchange connects to.
struct ServerAddress {
    QString scheme = QStringLiteral("http");
    QString host;  // lower-cased, a plain host name or IPv4 address
    int port = 0;  // the port written after the host; 0 when none was
};

enum class AddressProblem { None, NoHost, Unsafe };

// Reads a server address "[http://]host[:port]": lower-cased, anything up to and including
// "http://" dropped ("https://" at the start keeps its scheme), the host is the text before the
// first ':', the port the digits after it; what follows them is not used. A host holding
// anything but letters, digits, '.', '-' and '_' is unsafe: it could make the request go
// elsewhere than it says.
AddressProblem readServerAddress(const QString& address, ServerAddress& server);

// The URL of PATHWITHQUERY ("path?query", with or without a leading '/') on SERVER, put together
// by libcurl from its parts; empty when a part is unusable.
QString buildUrl(const ServerAddress& server, const QString& pathWithQuery);
// The same for a server address as configured; empty when it is unusable.
QString addressUrl(const QString& serverAddress, const QString& pathWithQuery);

// The fields as the form text the limit is measured on: "name=value&..." without encoding.
QByteArray plainFormText(const Fields& fields);
// The same, percent-encoded as application/x-www-form-urlencoded requires.
QByteArray encodedFormText(const Fields& fields);
// A query value, percent-encoded.
QString encodeQueryValue(const QString& value);

// POSTs FIELDS to OBJECTPATH on the configured server. An address whose host is unsafe is
// refused as a failed POST, with nothing sent.
FormReply postForm(const QString& serverUrl, const QString& objectPath, const Fields& fields,
                   int connectTimeoutMs, int connectAttempts);

// GETs PATHWITHQUERY from SERVERADDRESS; EXAMINE sees the reply as it grows. An unusable address
// fails as a bad address, with nothing sent.
HttpRequest::Response openAddress(const QString& serverAddress, const QString& pathWithQuery,
                                  HttpRequest::Options options,
                                  const HttpRequest::Examiner& examine = {});

}  // namespace RequestCore
