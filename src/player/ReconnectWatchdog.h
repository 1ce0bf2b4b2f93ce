#pragma once

#include <QtGlobal>

#include <vector>

// Decides when a live channel that the user wants is reloaded: when no first frame comes soon
// enough after a load, when frames and position stop for too long, or when the load ends or
// fails. Reloads back off (1, 2, 4, 8, 16, then every 30 s), and the count starts again after a
// while of healthy play. It only does arithmetic on the times it is given, so it can be driven
// by any clock.
class ReconnectWatchdog {
public:
    struct Timings {
        qint64 firstFrameMs = 10000;
        qint64 stallMs = 8000;
        qint64 healthyMs = 30000;
        std::vector<qint64> backOffMs = {1000, 2000, 4000, 8000, 16000, 30000};
        int failuresBeforeGivingUp = 5;
    };

    enum class State { Idle, Loading, Playing, Waiting };

    ReconnectWatchdog();
    explicit ReconnectWatchdog(Timings timings);

    // The user asked for a channel and its first load has been made at NOW.
    void start(qint64 now);
    // The user no longer wants it.
    void cancel();
    // A frame was shown or the position moved.
    void progress(qint64 now);
    // The load ended (a live stream has no end) or failed.
    void failed(qint64 now);
    // True when a reload is due at NOW; the reload is then taken as made.
    bool reloadDue(qint64 now);

    State state() const { return m_state; }
    bool playing() const { return m_state == State::Playing; }
    // Failed loads since the last healthy play.
    int failures() const { return m_failures; }
    bool givenUp() const { return m_failures >= m_timings.failuresBeforeGivingUp; }
    // When the next reload is due (Waiting only).
    qint64 retryAt() const { return m_retryAt; }

private:
    void checkDeadlines(qint64 now);

    Timings m_timings;
    State m_state = State::Idle;
    int m_failures = 0;
    qint64 m_loadedAt = 0;
    qint64 m_lastProgress = 0;
    qint64 m_playingSince = 0;
    qint64 m_retryAt = 0;
};
