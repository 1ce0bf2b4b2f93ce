#pragma once

#include "platform/EventTrace.h"
#include "platform/WorkerPool.h"
#include "service/CaptchaDownload.h"
#include "service/ServiceState.h"
#include "service/SessionRecord.h"
#include "session/ConfigFile.h"
#include "session/NowPlaying.h"

#include <QString>

#include <memory>

class Clock;

// What the client's parts share for one run: the program folder, who is signed in, what the
// service exchanges left behind, the channel being played, the threads for blocking work and the
// clock. The application owns one; a test builds a fresh one. Everything but the service state is
// touched on the GUI thread only.
struct AppContext {
    explicit AppContext(QString programFolder = {});
    AppContext(QString programFolder, Clock& clock);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QString m_strExeDir;  // program folder, no trailing separator
    // Where the client writes what it keeps beside the program (the channel list, confignew.ini's
    // remembered login, the advertisements, the captcha): the program folder itself, unless the
    // user may not write there. Empty: the program folder.
    QString m_strDataDir;
    QString dataDir() const { return m_strDataDir.isEmpty() ? m_strExeDir : m_strDataDir; }
    // confignew.ini as this run reads and writes it.
    ConfigFile config() const { return ConfigFile(dataDir(), m_strExeDir); }
    QString statePath;  // the per-user state file: what the client remembers between runs
    Clock* clock;       // never null

    SessionRecord session;  // GUI thread only; workers get copies of what they need
    // Server address, session identity, server IPv4 address; guarded, shared with the workers
    // that use it, so an exchange still running at exit never outlives it.
    std::shared_ptr<ServiceState> service = std::make_shared<ServiceState>();
    // The order of the captcha fetches; shared with the fetches still running.
    std::shared_ptr<CaptchaDownload::Tickets> captchaTickets =
        std::make_shared<CaptchaDownload::Tickets>();
    // Where every blocking exchange runs.
    WorkerPool workers;

    // The channel chosen in the tree and the one playing, with the one before it.
    NowPlaying nowPlaying;

    // 1 when the playback control was made with sign-in data and became ready.
    int controlReady = 0;
    // The first close of a run starts the ad companion and removes the channel list; later ones
    // do not. Starts at 1 and never goes back.
    int closeCounter = 1;

    // Timing lines for the benchmarks, when asked for; none otherwise.
    std::unique_ptr<EventTrace> trace;
    void traceEvent(const char* event) const {
        if (trace) {
            trace->mark(event);
        }
    }
};
