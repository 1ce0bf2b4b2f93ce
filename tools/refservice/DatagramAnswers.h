#pragma once

#include <QByteArray>
#include <QString>

class DataStore;

// The datagram protocol the client shares between the update check ("001") and the balance
// query ("002"): text framed as "^...$" and closed with a NUL byte, fields split by "|".
class DatagramAnswers {
public:
    explicit DatagramAnswers(DataStore& store);

    // The text of a received datagram: its bytes up to the first NUL (the closing NUL may be
    // missing), as UTF-8.
    static QString textOf(const QByteArray& datagram);

    // "001" or "002" for a framed request with that command, "other" for anything else.
    static QString commandOf(const QString& text);

    // Undoes the client's escaping of "^", "$", "|" and "#" in a field (and nothing else).
    static QString unescapeField(QString field);

    // The normal answer to TEXT, framed and closed with its NUL byte.
    QByteArray answer(const QString& text);

private:
    static QByteArray frame(const QString& body);
    QByteArray updateAnswer();
    QByteArray balanceAnswer(const QString& fields);

    DataStore& m_store;
};
