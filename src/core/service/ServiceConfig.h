#pragma once

#include <QString>

// Where the service is and how to reach it, as the exchanges read it. The program's
// configuration file provides it; the exchanges ask for each value when they need it, so a
// change made by hand takes effect at the next request.
class ServiceConfig {
public:
    // Buffer sizes, in UTF-16 units, of the readers of the server address: each exchange reads
    // it through a buffer of its own size.
    enum Buffer : int {
        kServerUrlForLogin = 256,
        kServerUrlForTicket = 128,
        kServerUrlForChannelList = 128,
        kServerUrlForRegistration = 512,
        kServerUrlForCaptcha = 512,
        kServerUrlForRecovery = 256,
        kUerSetMealBuffer = 256,
        kTvProgramBuffer = 128,
        kUserInfoBuffer = 256,
        kDeploymentBuffer = 256,
    };

    virtual ~ServiceConfig() = default;

    // The web server's address, read through READER's buffer.
    virtual QString serverUrl(Buffer reader) const = 0;
    // The base of the playback control's authorisation address.
    virtual QString uerSetMeal() const = 0;
    // Path and query of the channel list on the web server.
    virtual QString tvProgram() const = 0;
    // The hosts probed when the server does not answer, and the servers paired with them.
    virtual QString probeHost(int which) const = 0;    // 1 or 2
    virtual QString fallbackUrl(int which) const = 0;  // 1 or 2
    // The host of the advertisement server.
    virtual QString adServer() const = 0;
};
