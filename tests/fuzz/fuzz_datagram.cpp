// Datagram replies of the service: the update reply and the balance answer, from arbitrary
// bytes decoded the way the client decodes them.
#include "service/BalanceQuery.h"
#include "update/DatagramReply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString reply =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString text1;
    QString text2;
    int retry = -1;
    int flag = -1;
    const int parsed = DatagramReply::ParseDatagramReply(reply, text1, text2, retry, flag);
    if (parsed == 1) {
        // The texts are fields: they can never hold the separator.
        if (text1.contains(QLatin1Char('|')) || text2.contains(QLatin1Char('|')) ||
            (flag != 0 && flag != 1)) {
            __builtin_trap();
        }
    } else if (retry != 0 && retry != 1) {
        __builtin_trap();
    }

    int seconds = 0;
    BalanceQuery::Outcome outcome{};
    const bool answered = BalanceQuery::ParseBalanceAnswer(reply, seconds, outcome);
    if (answered != (outcome == BalanceQuery::Outcome::Answered)) {
        __builtin_trap();
    }
    return 0;
}
