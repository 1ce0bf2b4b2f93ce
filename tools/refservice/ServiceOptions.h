#pragma once

#include <QString>

#include <netinet/in.h>

#include <optional>
#include <string>
#include <vector>

// What the command line asks the service to do.
class ServiceOptions {
public:
    // One ADDRESS:PORT argument; the address is kept as written (for the start-up line) and as
    // the IPv4 address it names (for binding). The address "auto" is left to the service: for
    // --listen a free loopback address it picks at start, for --ad-listen the one --listen has.
    struct Endpoint {
        QString host;
        std::string numericHost;
        in_addr address{};
        int port = 0;
        bool automatic = false;

        // Sets the address (network byte order) and its two spellings.
        void setAddress(in_addr numeric);
    };

    static constexpr int kDefaultUdpPort = 35000;

    // Reads ARGS (without the program name). Nothing, with ERROR set to one line, when they are
    // unusable; a request for help gives options with wantsHelp() set.
    static std::optional<ServiceOptions> parse(const std::vector<std::string>& args,
                                               QString& error);
    static QString usage();

    bool wantsHelp() const { return m_help; }
    const Endpoint& listen() const { return m_listen; }
    const std::optional<Endpoint>& adListen() const { return m_adListen; }
    int udpPort() const { return m_udpPort; }
    const QString& dataFolder() const { return m_dataFolder; }
    // Where the streams' clips are kept; empty for the shared default.
    const QString& clipsFolder() const { return m_clipsFolder; }
    // Only make the missing clips, then end.
    bool makeClipsOnly() const { return m_makeClips; }

private:
    static std::optional<Endpoint> parseEndpoint(const QString& text, QString& error);
    static std::optional<int> parsePort(const QString& text);

    bool m_help = false;
    Endpoint m_listen;
    std::optional<Endpoint> m_adListen;
    int m_udpPort = kDefaultUdpPort;
    QString m_dataFolder;
    QString m_clipsFolder;
    bool m_makeClips = false;
};
