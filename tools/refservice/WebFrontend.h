#pragma once

#include "ServiceRoutes.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

class DataStore;
class LiveStreams;
class FaultBook;
class SessionBook;
class ShutdownLatch;

// Puts the service's routes on a web server: every request is counted, checked against the
// scripted faults and then answered, misbehaved as scripted or normally. The control routes
// that tests use to script faults and change data live here too.
class WebFrontend {
public:
    // The first '<' of a reply scripted with "split1024" stands at this body offset, so a tag
    // straddles the end of the first 1024-byte piece.
    static constexpr qsizetype kSplitAnchor = 1020;
    static constexpr qsizetype kSplitPiece = 1024;
    static constexpr qsizetype kGarbageBytes = 1500;

    WebFrontend(ServiceRoutes& routes, SessionBook& book, FaultBook& faults, DataStore& store,
                const ShutdownLatch& shutdown, LiveStreams* streams = nullptr);

    // Registers the service routes on SERVER, and the control routes when WITH_CONTROL is set.
    void install(httplib::Server& server, bool withControl);

    // The fields of the query part of TARGET; for a field given twice the first counts.
    static QHash<QString, QString> queryFields(const std::string& target);

    // The fields of form text "a=1&b=2" (percent-encoded, "+" for a space); for a field given
    // twice the first counts.
    static QHash<QString, QString> formFields(const QByteArray& text);

private:
    void serve(const ServiceRoutes::Route& route, const httplib::Request& req,
               httplib::Response& res);
    void addScript(const httplib::Request& req, httplib::Response& res);
    void resetScripts(httplib::Response& res);
    void changeUpdate(const httplib::Request& req, httplib::Response& res);
    void changeAccount(const httplib::Request& req, httplib::Response& res);
    void showState(httplib::Response& res);

    static void sendReply(const ServiceRoutes::Reply& reply, httplib::Response& res);
    static void sendTruncated(const ServiceRoutes::Reply& reply, httplib::Response& res);
    void sendSplit(const ServiceRoutes::Reply& reply, httplib::Response& res) const;
    // The reply one byte at a time, a moment apart, as a slow line delivers it.
    void sendDribble(const ServiceRoutes::Reply& reply, httplib::Response& res) const;
    static QByteArray garbage(qsizetype size);

    ServiceRoutes& m_routes;
    SessionBook& m_book;
    FaultBook& m_faults;
    DataStore& m_store;
    const ShutdownLatch& m_shutdown;
    LiveStreams* m_streams;
};
