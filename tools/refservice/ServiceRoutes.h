#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

class DataStore;
class SessionBook;

// What each path of the web server answers when nothing is scripted: the client's sign-in,
// ticket, channel list, pulse, captcha, registration, password recovery and ad archives. Knows
// nothing of HTTP beyond the status code, so the answers can be checked without a server.
class ServiceRoutes {
public:
    struct Request {
        // Fields of the query and of a form body; for a field given twice the first counts.
        QHash<QString, QString> params;
        QString remoteAddress;

        QString param(const char* name) const;
    };

    struct Reply {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
    };

    using Handler = Reply (ServiceRoutes::*)(const Request&);

    struct Route {
        const char* path;
        const char* contentType;
        Handler handler;
    };

    static constexpr const char* kXmlType = "text/xml; charset=utf-8";

    // A new account starts with one hour of use time.
    static constexpr qint64 kNewAccountUseTimeMs = 3600000;

    ServiceRoutes(DataStore& store, SessionBook& book);

    static const std::vector<Route>& routes();
    static const Route* routeFor(const QString& path);

    Reply answer(const Route& route, const Request& request);

    Reply login(const Request& request);
    Reply logout(const Request& request);
    Reply ticket(const Request& request);
    Reply channelList(const Request& request);
    Reply pulse(const Request& request);
    Reply captcha(const Request& request);
    Reply registration(const Request& request);
    Reply passwordRecovery(const Request& request);
    Reply adArchive(const Request& request);

private:
    static Reply xml(const QString& text);
    static Reply status(int value);
    static bool isRequestNumber(const QString& text);

    DataStore& m_store;
    SessionBook& m_book;
};
