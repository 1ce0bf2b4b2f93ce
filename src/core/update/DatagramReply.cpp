#include "update/DatagramReply.h"

namespace DatagramReply {

int ParseDatagramReply(const QString& reply, QString& text1, QString& text2, int& retry,
                       int& flag) {
    if (!reply.startsWith(QLatin1Char('^')) || !reply.endsWith(QLatin1Char('$'))) {
        retry = 1;
        return 0;
    }
    QString body = reply;
    while (body.startsWith(QLatin1Char('^'))) {
        body.remove(0, 1);
    }
    while (body.endsWith(QLatin1Char('$'))) {
        body.chop(1);
    }
    if (body.startsWith(QLatin1Char('0'))) {
        retry = 0;
        return 0;
    }
    const qsizetype first = body.indexOf(QLatin1Char('|'));
    const qsizetype second = first < 0 ? -1 : body.indexOf(QLatin1Char('|'), first + 1);
    const qsizetype third = second < 0 ? -1 : body.indexOf(QLatin1Char('|'), second + 1);
    if (third < 0) {
        retry = 1;
        return 0;
    }
    text1 = body.mid(first + 1, second - first - 1);
    text2 = body.mid(second + 1, third - second - 1);
    flag = body.mid(third + 1) == QLatin1String("1") ? 1 : 0;
    return 1;
}

}  // namespace DatagramReply
