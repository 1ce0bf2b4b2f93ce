#pragma once

#include <QString>

// Replies of the service's datagram endpoint are framed as "^" body "$", with fields separated
// by "|". An update reply is code|text1|text2|flag.
namespace DatagramReply {

// 1 for a well-formed positive update reply, with its texts and FLAG (1 = mandatory update).
// Otherwise 0, with RETRY 0 for a negative answer and 1 for a malformed reply.
int ParseDatagramReply(const QString& reply, QString& text1, QString& text2, int& retry, int& flag);

}  // namespace DatagramReply
