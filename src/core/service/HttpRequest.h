#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// One HTTP exchange through libcurl: a handle of its own, opened, used once and closed, nothing
// shared with other exchanges. Blocks the calling thread, never longer than its time-outs.
class HttpRequest {
public:
    struct Options {
        int connectTimeoutMs = 0;       // 0: the library's own
        int connectAttempts = 1;        // tries to connect before giving up
        int totalTimeoutMs = 30000;     // the whole exchange, connection included
        int idleTimeoutMs = 0;          // a reply that stops arriving for this long fails; 0: none
        qsizetype maxBody = 64 * 1024;  // a longer reply is refused
        QByteArray contentType;         // for POST bodies
        int maxRedirects = 0;           // redirects a GET follows, all within totalTimeoutMs
    };

    enum class Failure {
        None,
        BadAddress,  // the address cannot be used at all
        Connect,     // no connection to the server
        Send,        // connected, but no reply came
        Receive,     // the reply broke off after its headers
        TooLarge,    // the reply is longer than allowed
    };

    struct Response {
        Failure failure = Failure::None;
        long status = 0;       // HTTP status; 0 when no reply header arrived
        QByteArray body;       // what arrived, also after a Receive failure
        bool stopped = false;  // the examiner had seen enough
        QString location;      // where a redirect pointed, as a whole address
    };

    // Looks at the reply body received so far, whose bytes from NEWFROM on arrived just now;
    // false stops the transfer (not a failure). Looking only at what is new (with an overlap
    // for a tag split between two writes) keeps a reply that dribbles in byte by byte linear.
    using Examiner = std::function<bool(const QByteArray& bodySoFar, qsizetype newFrom)>;

    // Where TAG first occurs in BODY, searching only where it could have been completed by the
    // bytes from NEWFROM on; -1 when not there.
    static qsizetype findNew(const QByteArray& body, qsizetype newFrom, QByteArrayView tag);

    // A redirect is followed only to a web address, and never from https to plain http, which
    // would hand what was asked for privately to anyone on the way.
    static bool redirectAllowed(const QString& from, const QString& to);

    static Response get(const QString& url, const Options& options, const Examiner& examine = {});
    static Response post(const QString& url, const QByteArray& body, const Options& options);

private:
    static Response perform(const QString& url, const QByteArray* postBody, const Options& options,
                            const Examiner& examine);
};
