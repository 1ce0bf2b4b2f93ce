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
};

// The host of a server address "[http://]host[:port]", lower-cased; PORT gets the port written
// after it, or 0.
QString hostOf(const QString& address, int* port = nullptr);

// "http://host:port" of a configured server address: lower-cased, anything up to and including
// "http://" dropped, port 80 unless one follows a ':'.
QString formServerBase(const QString& serverUrl);

// The fields as the form text the limit is measured on: "name=value&..." without encoding.
QByteArray plainFormText(const Fields& fields);
// The same, percent-encoded as application/x-www-form-urlencoded requires.
QByteArray encodedFormText(const Fields& fields);
// A query value, percent-encoded.
QString encodeQueryValue(const QString& value);

// POSTs FIELDS to OBJECTPATH on the configured server.
FormReply postForm(const QString& serverUrl, const QString& objectPath, const Fields& fields,
                   int connectTimeoutMs, int connectAttempts);

// GETs SERVERADDRESS + "/" + PATHWITHQUERY; EXAMINE sees the reply received so far.
HttpRequest::Response openAddress(const QString& serverAddress, const QString& pathWithQuery,
                                  HttpRequest::Options options,
                                  const HttpRequest::Examiner& examine = {});

}  // namespace RequestCore
