#include "session/SavedLogin.h"

#include "session/ConfigFile.h"

namespace SavedLogin {

namespace {

const QString kEnd = QStringLiteral("<EOF>");

// The decimal value of the characters FROM..FROM+COUNT-1 of TEXT, non-digits read as 0.
int digitsValue(const QString& text, int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = i < text.size() ? text[i] : QChar();
        value = value * 10 + (c.isDigit() ? c.digitValue() : 0);
    }
    return value;
}

}  // namespace

QString MakeRecord(const QString& id, const QString& password, const QDate& day) {
    return id + kEnd + password + kEnd + day.toString(QStringLiteral("yyyyMMdd")) + kEnd;
}

int LoadSavedLogin(const ConfigFile& config, QString& id, QString& password, const QDateTime& now) {
    const QString record = config.userInfo();
    if (record.isEmpty()) {
        return 0;
    }
    const qsizetype first = record.indexOf(kEnd);
    if (first < 0) {
        return 0;
    }
    id = record.left(first);
    const qsizetype passwordStart = first + kEnd.size();
    if (passwordStart > record.size()) {
        return 0;
    }
    const qsizetype second = record.indexOf(kEnd, passwordStart);
    if (second < 0) {
        return 0;
    }
    password = record.mid(passwordStart, second - passwordStart);
    const qsizetype dateStart = second + kEnd.size();
    const qsizetype third = record.indexOf(kEnd, dateStart);
    if (third < 0) {
        return 0;
    }
    const QString dateText = record.mid(dateStart, third - dateStart);
    const QDate day(digitsValue(dateText, 0, 4), digitsValue(dateText, 4, 2),
                    digitsValue(dateText, 6, 2));
    if (!day.isValid()) {
        return 0;
    }
    const QDateTime midnight = day.startOfDay();
    const qint64 ageDays = midnight.secsTo(now) / 86400;
    return ageDays < kValidDays ? 1 : 0;
}

}  // namespace SavedLogin
