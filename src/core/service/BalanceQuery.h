#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class ServiceState;

// The two-minute question how much viewing time the account has left, as one datagram each way
// between the client's port 35002 and the service's port 35000.
namespace BalanceQuery {

inline constexpr std::uint16_t kServicePort = 35000;
inline constexpr std::uint16_t kLocalPort = 35002;
inline constexpr int kAnswerWaitMs = 1000;
// The request text may not exceed this many bytes (its closing zero byte not counted).
inline constexpr int kMaxRequestBytes = 511;

// Makes the field separators of the datagram text safe inside a field.
QString EscapeField(const QString& field);

// The request datagram for ID and PASSWORD: the framed text and its closing zero byte; empty
// when it would be too long to send.
QByteArray BalanceRequest(const QString& id, const QString& password);

// NoServer: the service host's address is not known yet, so nothing was sent.
enum class Outcome { Answered, TooLong, NoServer, SendFailed, NoAnswer, Malformed, NoValue };

struct Answer {
    Outcome outcome = Outcome::NoAnswer;
    QString reply;    // the answer as received
    int useTime = 0;  // seconds, when answered
};

// Asks for the remaining time of the user with ID and PASSWORD at the server in STATE. Only an
// answer from the service host's port 35000 counts; other datagrams are ignored while the
// second of waiting lasts.
Answer QueryBalance(const ServiceState& state, const QString& id, const QString& password);

// Reads an answer; true, with SECONDS set, when it carries a value.
bool ParseBalanceAnswer(const QString& reply, int& seconds, Outcome& outcome);

}  // namespace BalanceQuery
