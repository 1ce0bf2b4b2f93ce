#include "DataStore.h"
#include "DatagramAnswers.h"
#include "DatagramEndpoint.h"
#include "DemoData.h"
#include "FaultBook.h"
#include "HttpListener.h"
#include "LiveStreams.h"
#include "LoopbackPicker.h"
#include "ServiceOptions.h"
#include "ServiceRoutes.h"
#include "SessionBook.h"
#include "ShutdownLatch.h"
#include "StreamClips.h"
#include "WebFrontend.h"

#include <QString>

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitFailure = 1;

void report(const QString& message) {
    std::fprintf(stderr, "refservice: %s\n", qPrintable(message));
}

// Serves again when a listener's accept loop has given up, so a long demo survives a transient
// accept error; keeps trying once a second while that fails.
void reviveFailed(HttpListener& listener, const char* name) {
    if (!listener.failed()) {
        return;
    }
    QString error;
    if (listener.restart(error)) {
        report(QStringLiteral("the %1 server stopped accepting and was restarted")
                   .arg(QLatin1String(name)));
    } else {
        report(QStringLiteral("the %1 server stopped accepting; restart failed: %2")
                   .arg(QLatin1String(name), error));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QString error;
    const auto options =
        ServiceOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        report(QStringLiteral("%1 (%2)").arg(error, ServiceOptions::usage()));
        return kExitBadArguments;
    }
    if (options->wantsHelp()) {
        std::printf("%s\n", qPrintable(ServiceOptions::usage()));
        return 0;
    }

    // A client that goes away mid-reply must cost a failed write, not the process. The stop
    // signals are blocked before any thread starts, so all threads inherit the mask and only
    // the wait below receives them.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<StreamClips::Channel> channels;
    for (const DemoData::Channel& channel : DemoData::channels()) {
        channels.push_back(StreamClips::Channel{channel.id, channel.name});
    }
    StreamClips clips(
        options->clipsFolder().isEmpty() ? StreamClips::defaultFolder() : options->clipsFolder(),
        std::move(channels));
    if (options->makeClipsOnly()) {
        if (!clips.makeAll(error)) {
            report(error);
            return kExitFailure;
        }
        return 0;
    }

    DataStore store(options->dataFolder());
    SessionBook book;
    FaultBook faults;
    ShutdownLatch shutdown;
    ServiceRoutes routes(store, book);
    LiveStreams streams(clips, store, faults, shutdown);
    WebFrontend frontend(routes, book, faults, store, shutdown, &streams);
    DatagramAnswers answers(store);

    // With "auto" the service looks for a loopback address of its own, so that the runs on one
    // machine never meet: what its clients will need there must be free, and its own datagram
    // port must bind. Its web port is any free one, on an address nobody else uses.
    const bool pick = options->listen().automatic;
    ServiceOptions::Endpoint listen = options->listen();
    std::optional<ServiceOptions::Endpoint> adListen = options->adListen();
    std::optional<DatagramEndpoint> datagrams;
    for (int attempt = 1;; ++attempt) {
        if (pick) {
            listen.setAddress(LoopbackPicker::candidate());
        }
        if (adListen && adListen->automatic) {
            adListen->setAddress(listen.address);
        }
        const int adPortThere =
            adListen && adListen->address.s_addr == listen.address.s_addr ? adListen->port : 0;
        datagrams.emplace(answers, book, faults);
        if ((!pick || LoopbackPicker::portsFree(listen.address, adPortThere, error)) &&
            datagrams->bind(listen.address, options->udpPort(), error)) {
            break;
        }
        datagrams.reset();
        if (!pick || attempt == LoopbackPicker::kAttempts) {
            report(error);
            return kExitFailure;
        }
    }

    HttpListener web(frontend, true);
    if (!web.bind(listen.numericHost, listen.port, error)) {
        report(error);
        return kExitFailure;
    }
    // The demo channel list names the streams, so the data is made once the port is known.
    if (!store.open(QStringLiteral("http://%1:%2").arg(listen.host).arg(web.port()), error)) {
        report(error);
        return kExitFailure;
    }
    std::optional<HttpListener> ads;
    if (adListen) {
        ads.emplace(frontend, false);
        if (!ads->bind(adListen->numericHost, adListen->port, error)) {
            report(error);
            return kExitFailure;
        }
    }

    if (!web.start() || (ads && !ads->start())) {
        report(QStringLiteral("the web server did not start"));
        return kExitFailure;
    }
    datagrams->start();
    if (ads) {
        report(
            QStringLiteral("ad routes also on http://%1:%2").arg(adListen->host).arg(ads->port()));
    }
    std::printf("refservice listening http://%s:%d udp %s:%d\n", qPrintable(listen.host),
                web.port(), qPrintable(listen.host), datagrams->port());
    std::fflush(stdout);

    // The stop signals arrive as readable data; the one-second wake-up checks on the listeners.
    const int signalSource = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalSource < 0) {
        report(QStringLiteral("cannot wait for signals: %1").arg(std::strerror(errno)));
        return kExitFailure;
    }
    for (;;) {
        pollfd watch{signalSource, POLLIN, 0};
        if (poll(&watch, 1, 1000) > 0) {
            break;
        }
        reviveFailed(web, "web");
        if (ads) {
            reviveFailed(*ads, "ad");
        }
    }
    close(signalSource);

    shutdown.trigger();
    datagrams->stop();
    web.stop();
    if (ads) {
        ads->stop();
    }
    return 0;
}
