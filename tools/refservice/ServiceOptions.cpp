#include "ServiceOptions.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>

std::optional<ServiceOptions> ServiceOptions::parse(const std::vector<std::string>& args,
                                                    QString& error) {
    ServiceOptions options;
    bool haveListen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const QString arg = QString::fromLocal8Bit(args[i]);
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.m_help = true;
            return options;
        }
        if (arg == QLatin1String("--make-clips")) {
            options.m_makeClips = true;
            continue;
        }
        // Both "--name value" and "--name=value" are accepted.
        QString name = arg;
        std::optional<QString> value;
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && equals > 0) {
            name = arg.left(equals);
            value = arg.mid(equals + 1);
        }
        const bool known = name == QLatin1String("--listen") ||
                           name == QLatin1String("--ad-listen") ||
                           name == QLatin1String("--udp-port") || name == QLatin1String("--data") ||
                           name == QLatin1String("--clips");
        if (!known) {
            error = QStringLiteral("unknown argument \"%1\"").arg(arg);
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value").arg(name);
                return std::nullopt;
            }
            value = QString::fromLocal8Bit(args[++i]);
        }
        if (name == QLatin1String("--listen") || name == QLatin1String("--ad-listen")) {
            auto endpoint = parseEndpoint(*value, error);
            if (!endpoint) {
                error = QStringLiteral("%1: %2").arg(name, error);
                return std::nullopt;
            }
            if (name == QLatin1String("--listen")) {
                options.m_listen = *endpoint;
                haveListen = true;
            } else {
                options.m_adListen = *endpoint;
            }
        } else if (name == QLatin1String("--udp-port")) {
            const auto port = parsePort(*value);
            if (!port) {
                error = QStringLiteral("--udp-port: \"%1\" is not a port number").arg(*value);
                return std::nullopt;
            }
            options.m_udpPort = *port;
        } else if (name == QLatin1String("--clips")) {
            if (value->isEmpty()) {
                error = QStringLiteral("--clips needs a folder");
                return std::nullopt;
            }
            options.m_clipsFolder = *value;
        } else {
            if (value->isEmpty()) {
                error = QStringLiteral("--data needs a folder");
                return std::nullopt;
            }
            options.m_dataFolder = *value;
        }
    }
    if (options.m_makeClips) {
        return options;
    }
    if (!haveListen) {
        error = QStringLiteral("--listen ADDRESS:PORT is required");
        return std::nullopt;
    }
    if (options.m_dataFolder.isEmpty()) {
        error = QStringLiteral("--data DIR is required");
        return std::nullopt;
    }
    return options;
}

QString ServiceOptions::usage() {
    return QStringLiteral(
        "usage: refservice --listen ADDRESS:PORT --data DIR [--ad-listen ADDRESS:PORT] "
        "[--udp-port N] [--clips DIR]\n"
        "       refservice --make-clips [--clips DIR]\n"
        "ADDRESS auto: for --listen a free loopback address of 127.16.0.0/12, picked at start; "
        "for --ad-listen the address --listen has");
}

std::optional<ServiceOptions::Endpoint> ServiceOptions::parseEndpoint(const QString& text,
                                                                      QString& error) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        error = QStringLiteral("\"%1\" is not ADDRESS:PORT").arg(text);
        return std::nullopt;
    }
    Endpoint endpoint;
    endpoint.host = text.left(colon);
    const auto port = parsePort(text.mid(colon + 1));
    if (!port) {
        error = QStringLiteral("\"%1\" has no valid port").arg(text);
        return std::nullopt;
    }
    endpoint.port = *port;
    if (endpoint.host == QLatin1String("auto")) {
        endpoint.automatic = true;
        return endpoint;
    }

    // The datagram endpoint and the client speak IPv4 only, so the web servers do too.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray host = endpoint.host.toLocal8Bit();
    if (getaddrinfo(host.constData(), nullptr, &hints, &found) != 0 || found == nullptr) {
        error = QStringLiteral("\"%1\" is not an IPv4 address or known host").arg(endpoint.host);
        return std::nullopt;
    }
    sockaddr_in resolved{};
    std::memcpy(&resolved, found->ai_addr, sizeof resolved);
    freeaddrinfo(found);
    const QString written = endpoint.host;
    endpoint.setAddress(resolved.sin_addr);
    endpoint.host = written;
    return endpoint;
}

void ServiceOptions::Endpoint::setAddress(in_addr numeric) {
    address = numeric;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    numericHost = text;
    host = QString::fromLatin1(text);
}

std::optional<int> ServiceOptions::parsePort(const QString& text) {
    if (text.isEmpty() || text.size() > 5) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    const int port = text.toInt();
    if (port > 65535) {
        return std::nullopt;
    }
    return port;
}
