#include "DatagramAnswers.h"

#include "DataStore.h"

DatagramAnswers::DatagramAnswers(DataStore& store) : m_store(store) {}

QString DatagramAnswers::textOf(const QByteArray& datagram) {
    const qsizetype end = datagram.indexOf('\0');
    return QString::fromUtf8(end < 0 ? datagram : datagram.left(end));
}

QString DatagramAnswers::commandOf(const QString& text) {
    if (text.size() >= 5 && text.startsWith(QLatin1Char('^')) && text.endsWith(QLatin1Char('$'))) {
        const QString command = text.mid(1, 3);
        const bool separated =
            text.size() == 5 || text.at(4) == QLatin1Char('|') || text.at(4) == QLatin1Char('$');
        if (separated && (command == QLatin1String("001") || command == QLatin1String("002"))) {
            return command;
        }
    }
    return QStringLiteral("other");
}

QString DatagramAnswers::unescapeField(QString field) {
    // Each replacement yields a character that cannot be part of an escape, so one pass in any
    // order restores exactly what the client escaped.
    field.replace(QLatin1String("%5E"), QLatin1String("^"));
    field.replace(QLatin1String("%24"), QLatin1String("$"));
    field.replace(QLatin1String("%7C"), QLatin1String("|"));
    field.replace(QLatin1String("%23"), QLatin1String("#"));
    return field;
}

QByteArray DatagramAnswers::answer(const QString& text) {
    const QString command = commandOf(text);
    if (command == QLatin1String("001")) {
        return updateAnswer();
    }
    if (command == QLatin1String("002")) {
        // Between "^002|" and the closing "$".
        return balanceAnswer(text.mid(5, text.size() - 6));
    }
    return frame(QStringLiteral("0"));
}

QByteArray DatagramAnswers::frame(const QString& body) {
    QByteArray bytes = QByteArrayLiteral("^") + body.toUtf8() + QByteArrayLiteral("$");
    bytes.append('\0');
    return bytes;
}

QByteArray DatagramAnswers::updateAnswer() {
    const DataStore::UpdateNotice notice = m_store.updateNotice();
    switch (notice.mode) {
        case DataStore::UpdateMode::New:
            return frame(QStringLiteral("1|%1|%2|0").arg(notice.text1, notice.text2));
        case DataStore::UpdateMode::Mandatory:
            return frame(QStringLiteral("1|%1|%2|1").arg(notice.text1, notice.text2));
        case DataStore::UpdateMode::None:
            break;
    }
    return frame(QStringLiteral("0"));
}

QByteArray DatagramAnswers::balanceAnswer(const QString& fields) {
    // "1#ID|PASSWORD": the escaping leaves exactly one "|" between the two fields.
    if (!fields.startsWith(QLatin1String("1#"))) {
        return frame(QStringLiteral("0"));
    }
    const qsizetype bar = fields.indexOf(QLatin1Char('|'), 2);
    if (bar < 0) {
        return frame(QStringLiteral("0"));
    }
    const QString id = unescapeField(fields.mid(2, bar - 2));
    const QString password = unescapeField(fields.mid(bar + 1));
    const auto account = m_store.account(id);
    if (!account || account->password != password) {
        return frame(QStringLiteral("0"));
    }
    return frame(QStringLiteral("1|%1").arg(account->useTimeMs));
}
