#pragma once

#include <string>

// Ends one TCP connection of this process without sending anything more on it, for the
// scripted "drop" fault. The web server's handlers get no socket, so the connection is found by
// its two ends among the process's open descriptors.
class ConnectionCutter {
public:
    enum class Outcome { Cut, NotFound, Ambiguous };

    // Shuts down (both directions) the connected TCP socket whose local end is LOCAL and whose
    // remote end is REMOTE. Nothing is touched unless exactly one connection matches.
    static Outcome cut(const std::string& localAddress, int localPort,
                       const std::string& remoteAddress, int remotePort);
};
