#include "WebFrontend.h"

#include "ConnectionCutter.h"
#include "DataStore.h"
#include "FaultBook.h"
#include "LiveStreams.h"
#include "SessionBook.h"
#include "ShutdownLatch.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

namespace {

constexpr const char* kTextType = "text/plain; charset=utf-8";

void sendText(httplib::Response& res, int status, const QString& text) {
    res.status = status;
    res.set_content((text + QLatin1Char('\n')).toStdString(), kTextType);
}

// Route paths are literal text, but the server matches them as regular expressions.
std::string literalPattern(const char* path) {
    std::string pattern;
    for (const char* c = path; *c != '\0'; ++c) {
        if (std::string_view("\\^$.|?*+()[]{}").find(*c) != std::string_view::npos) {
            pattern += '\\';
        }
        pattern += *c;
    }
    return pattern;
}

// The request's fields: those of the query, then those of a form body; the first of a name
// counts, as for the server's own parameter lookup. A body sent without any content type is
// read as a form too, so a hand-made request that forgets the header still signs in.
QHash<QString, QString> paramsOf(const httplib::Request& req) {
    QHash<QString, QString> params;
    for (const auto& [name, value] : req.params) {
        const QString key = QString::fromStdString(name);
        if (!params.contains(key)) {
            params.insert(key, QString::fromStdString(value));
        }
    }
    if (!req.body.empty() && !req.has_header("Content-Type")) {
        const QHash<QString, QString> form =
            WebFrontend::formFields(QByteArray::fromStdString(req.body));
        for (auto it = form.cbegin(); it != form.cend(); ++it) {
            if (!params.contains(it.key())) {
                params.insert(it.key(), it.value());
            }
        }
    }
    return params;
}

// A whole number within [LOW, HIGH] from field NAME, FALLBACK when the field is absent.
std::optional<qint64> numberField(const QHash<QString, QString>& fields, const char* name,
                                  qint64 fallback, qint64 low, qint64 high) {
    const auto found = fields.constFind(QLatin1String(name));
    if (found == fields.constEnd()) {
        return fallback;
    }
    bool ok = false;
    const qint64 value = found->toLongLong(&ok);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool isDatagramEndpoint(const QString& endpoint) {
    return endpoint == QLatin1String("udp:001") || endpoint == QLatin1String("udp:002");
}

}  // namespace

WebFrontend::WebFrontend(ServiceRoutes& routes, SessionBook& book, FaultBook& faults,
                         DataStore& store, const ShutdownLatch& shutdown, LiveStreams* streams)
    : m_routes(routes),
      m_book(book),
      m_faults(faults),
      m_store(store),
      m_shutdown(shutdown),
      m_streams(streams) {}

void WebFrontend::install(httplib::Server& server, bool withControl) {
    // The client posts its forms and gets its addresses; both methods are served on every
    // route, so a browser can try a route by hand.
    for (const ServiceRoutes::Route& route : ServiceRoutes::routes()) {
        const std::string pattern = literalPattern(route.path);
        const auto handler = [this, &route](const httplib::Request& req, httplib::Response& res) {
            serve(route, req, res);
        };
        server.Get(pattern, handler);
        server.Post(pattern, handler);
    }
    if (!withControl) {
        return;
    }
    // The streams are the web server's, not the ad server's.
    if (m_streams != nullptr) {
        m_streams->install(server);
    }
    server.Post("/control/script", [this](const httplib::Request& req, httplib::Response& res) {
        addScript(req, res);
    });
    server.Post("/control/reset",
                [this](const httplib::Request&, httplib::Response& res) { resetScripts(res); });
    server.Post("/control/update", [this](const httplib::Request& req, httplib::Response& res) {
        changeUpdate(req, res);
    });
    server.Post("/control/account", [this](const httplib::Request& req, httplib::Response& res) {
        changeAccount(req, res);
    });
    server.Get("/control/state",
               [this](const httplib::Request&, httplib::Response& res) { showState(res); });
}

QHash<QString, QString> WebFrontend::queryFields(const std::string& target) {
    const std::size_t question = target.find('?');
    if (question == std::string::npos) {
        return {};
    }
    return formFields(QByteArray::fromStdString(target.substr(question + 1)));
}

QHash<QString, QString> WebFrontend::formFields(const QByteArray& text) {
    QHash<QString, QString> fields;
    for (const QByteArray& pair : text.split('&')) {
        if (pair.isEmpty()) {
            continue;
        }
        const qsizetype equals = pair.indexOf('=');
        QByteArray name = equals < 0 ? pair : pair.left(equals);
        QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        name.replace('+', ' ');
        value.replace('+', ' ');
        const QString key = QString::fromUtf8(QByteArray::fromPercentEncoding(name));
        if (!fields.contains(key)) {
            fields.insert(key, QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
        }
    }
    return fields;
}

void WebFrontend::serve(const ServiceRoutes::Route& route, const httplib::Request& req,
                        httplib::Response& res) {
    const QString endpoint = QString::fromLatin1(route.path);
    ServiceRoutes::Request request;
    request.params = paramsOf(req);
    request.remoteAddress = QString::fromStdString(req.remote_addr);

    QJsonObject params;
    for (auto it = request.params.cbegin(); it != request.params.cend(); ++it) {
        params.insert(it.key(), it.value());
    }
    m_book.recordRequest(endpoint,
                         QJsonObject{
                             {QStringLiteral("target"), QString::fromStdString(req.target)},
                             {QStringLiteral("body"), QString::fromStdString(req.body)},
                             {QStringLiteral("contentType"),
                              QString::fromStdString(req.get_header_value("Content-Type"))},
                             {QStringLiteral("params"), params},
                         });

    const auto script = m_faults.take(endpoint);
    if (!script) {
        sendReply(m_routes.answer(route, request), res);
        return;
    }
    switch (script->action) {
        case FaultBook::Action::Reply:
            res.status = script->status;
            res.set_content(script->payload.toStdString(), route.contentType);
            return;
        case FaultBook::Action::Garbage:
            res.status = 200;
            res.set_content(garbage(kGarbageBytes).toStdString(), route.contentType);
            return;
        case FaultBook::Action::Drop:
            if (ConnectionCutter::cut(req.local_addr, req.local_port, req.remote_addr,
                                      req.remote_port) == ConnectionCutter::Outcome::Cut) {
                // The server's attempt to answer now fails on the closed socket, and it gives up
                // the connection.
                res.status = 500;
                return;
            }
            std::fprintf(stderr, "refservice: could not drop the connection from %s:%d\n",
                         req.remote_addr.c_str(), req.remote_port);
            sendText(res, 500, QStringLiteral("the connection could not be dropped"));
            return;
        case FaultBook::Action::Delay:
            m_shutdown.sleepFor(std::chrono::milliseconds(script->delayMs));
            sendReply(m_routes.answer(route, request), res);
            return;
        case FaultBook::Action::Truncate:
            sendTruncated(m_routes.answer(route, request), res);
            return;
        case FaultBook::Action::Split1024:
            sendSplit(m_routes.answer(route, request), res);
            return;
        case FaultBook::Action::Dribble:
            sendDribble(m_routes.answer(route, request), res);
            return;
        case FaultBook::Action::Redirect:
            res.status = script->status == 200 ? 302 : script->status;
            res.set_header("Location", script->payload.toStdString());
            return;
        case FaultBook::Action::Silence:
        case FaultBook::Action::Pause:  // not scripted for these routes
            break;
    }
    sendReply(m_routes.answer(route, request), res);
}

void WebFrontend::addScript(const httplib::Request& req, httplib::Response& res) {
    // Only the query configures the script: the body is the payload, whatever it looks like.
    const QHash<QString, QString> fields = queryFields(req.target);
    const QString endpoint = fields.value(QStringLiteral("endpoint"));
    const bool datagram = isDatagramEndpoint(endpoint);
    const bool stream = endpoint == QLatin1String(LiveStreams::kEndpoint);
    if (!datagram && !stream && ServiceRoutes::routeFor(endpoint) == nullptr) {
        sendText(res, 400, QStringLiteral("unknown endpoint \"%1\"").arg(endpoint));
        return;
    }
    const QString actionName = fields.value(QStringLiteral("action"));
    const auto action = FaultBook::actionNamed(actionName);
    const bool fits =
        action &&
        (stream ? (*action == FaultBook::Action::Reply || *action == FaultBook::Action::Delay ||
                   *action == FaultBook::Action::Drop || *action == FaultBook::Action::Truncate ||
                   *action == FaultBook::Action::Garbage || *action == FaultBook::Action::Silence ||
                   *action == FaultBook::Action::Pause)
         : datagram
             ? *action != FaultBook::Action::Split1024 && *action != FaultBook::Action::Dribble &&
                   *action != FaultBook::Action::Pause && *action != FaultBook::Action::Redirect
             : *action != FaultBook::Action::Silence && *action != FaultBook::Action::Pause);
    if (!fits) {
        sendText(res, 400,
                 QStringLiteral("unknown action \"%1\" for %2").arg(actionName, endpoint));
        return;
    }
    const auto status = numberField(fields, "status", 200, 100, 599);
    const auto delay = numberField(fields, "delay_ms", 0, 0, 3600000);
    const auto hold = numberField(fields, "hold_ms", 0, 0, 3600000);
    const auto count = numberField(fields, "count", 1, 1, 1000000);
    if (!status || !delay || !hold || !count) {
        sendText(res, 400, QStringLiteral("status, delay_ms, hold_ms or count out of range"));
        return;
    }
    FaultBook::Script script;
    script.action = *action;
    script.status = static_cast<int>(*status);
    script.delayMs = static_cast<int>(*delay);
    script.holdMs = static_cast<int>(*hold);
    script.payload = QByteArray::fromStdString(req.body);
    m_faults.add(endpoint, script, static_cast<int>(*count));
    sendText(res, 200, QStringLiteral("ok"));
}

void WebFrontend::resetScripts(httplib::Response& res) {
    m_faults.clear();
    sendText(res, 200, QStringLiteral("ok"));
}

void WebFrontend::changeUpdate(const httplib::Request& req, httplib::Response& res) {
    const QHash<QString, QString> params = paramsOf(req);
    const QString modeText = params.value(QStringLiteral("mode"));
    const auto mode = DataStore::modeNamed(modeText);
    if (!mode) {
        sendText(res, 400, QStringLiteral("mode must be none, new or mandatory"));
        return;
    }
    // Texts not given keep their current value, so a test can switch the mode alone.
    DataStore::UpdateNotice notice = m_store.updateNotice();
    notice.mode = *mode;
    notice.text1 = params.value(QStringLiteral("text1"), notice.text1);
    notice.text2 = params.value(QStringLiteral("text2"), notice.text2);
    QString error;
    if (!m_store.setUpdateNotice(notice, error)) {
        sendText(res, 500, error);
        return;
    }
    sendText(res, 200, QStringLiteral("ok"));
}

void WebFrontend::changeAccount(const httplib::Request& req, httplib::Response& res) {
    const QHash<QString, QString> params = paramsOf(req);
    const QString id = params.value(QStringLiteral("id"));
    if (id.isEmpty()) {
        sendText(res, 400, QStringLiteral("id is required"));
        return;
    }
    // Fields not given keep the account's current value (or the default of a new account).
    DataStore::Account account =
        m_store.account(id).value_or(DataStore::Account{id, QString(), id, 0, false});
    account.password = params.value(QStringLiteral("password"), account.password);
    account.name = params.value(QStringLiteral("name"), account.name);
    const auto useTime =
        numberField(params, "use_time_ms", account.useTimeMs, std::numeric_limits<qint64>::min(),
                    std::numeric_limits<qint64>::max());
    const QString busy = params.value(QStringLiteral("busy"),
                                      account.busy ? QStringLiteral("1") : QStringLiteral("0"));
    if (!useTime || (busy != QLatin1String("0") && busy != QLatin1String("1"))) {
        sendText(res, 400, QStringLiteral("use_time_ms must be a whole number, busy 0 or 1"));
        return;
    }
    account.useTimeMs = *useTime;
    account.busy = busy == QLatin1String("1");
    QString error;
    if (!m_store.putAccount(account, error)) {
        sendText(res, 500, error);
        return;
    }
    sendText(res, 200, QStringLiteral("ok"));
}

void WebFrontend::showState(httplib::Response& res) {
    res.status = 200;
    res.set_content(QJsonDocument(m_book.snapshot()).toJson(QJsonDocument::Indented).toStdString(),
                    "application/json; charset=utf-8");
}

void WebFrontend::sendReply(const ServiceRoutes::Reply& reply, httplib::Response& res) {
    res.status = reply.status;
    res.set_content(reply.body.toStdString(), reply.contentType.toStdString());
}

void WebFrontend::sendTruncated(const ServiceRoutes::Reply& reply, httplib::Response& res) {
    if (reply.body.isEmpty()) {
        sendReply(reply, res);
        return;
    }
    // The headers promise the whole body; half of it goes out, then the provider gives up,
    // which makes the server close the connection.
    auto body = std::make_shared<const std::string>(reply.body.toStdString());
    const std::size_t half = body->size() / 2;
    res.status = reply.status;
    res.set_content_provider(
        body->size(), reply.contentType.toStdString(),
        [body, half](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset < half) {
                sink.write(body->data() + offset, half - offset);
            }
            return false;
        });
}

void WebFrontend::sendSplit(const ServiceRoutes::Reply& reply, httplib::Response& res) const {
    if (reply.body.isEmpty()) {
        sendReply(reply, res);
        return;
    }
    const qsizetype anchor = std::max<qsizetype>(reply.body.indexOf('<'), 0);
    const qsizetype padding = std::max<qsizetype>(kSplitAnchor - anchor, 0);
    auto body =
        std::make_shared<const std::string>((QByteArray(padding, ' ') + reply.body).toStdString());
    const ShutdownLatch* shutdown = &m_shutdown;
    res.status = reply.status;
    res.set_content_provider(
        body->size(), reply.contentType.toStdString(),
        [body, shutdown](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            // The server writes each piece straight to the socket; the pause makes the client
            // see the first piece on its own.
            const std::size_t pieceEnd = static_cast<std::size_t>(kSplitPiece);
            if (offset < pieceEnd && body->size() > pieceEnd) {
                if (!sink.write(body->data() + offset, pieceEnd - offset)) {
                    return false;
                }
                shutdown->sleepFor(std::chrono::milliseconds(50));
                offset = pieceEnd;
            }
            return sink.write(body->data() + offset, body->size() - offset);
        });
}

void WebFrontend::sendDribble(const ServiceRoutes::Reply& reply, httplib::Response& res) const {
    if (reply.body.isEmpty()) {
        sendReply(reply, res);
        return;
    }
    auto body = std::make_shared<const std::string>(reply.body.toStdString());
    const ShutdownLatch* shutdown = &m_shutdown;
    res.status = reply.status;
    res.set_content_provider(
        body->size(), reply.contentType.toStdString(),
        [body, shutdown](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (!sink.write(body->data() + offset, 1)) {
                return false;
            }
            shutdown->sleepFor(std::chrono::milliseconds(2));
            return true;
        });
}

QByteArray WebFrontend::garbage(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator* random = QRandomGenerator::global();
    for (char& byte : bytes) {
        byte = static_cast<char>(random->bounded(256));
    }
    // Zero bytes are what trips C-string handling, so there are always some.
    for (qsizetype i = 0; i < size; i += 97) {
        bytes[i] = '\0';
    }
    return bytes;
}
