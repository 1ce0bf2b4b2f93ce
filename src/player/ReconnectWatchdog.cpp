#include "ReconnectWatchdog.h"

#include <algorithm>

ReconnectWatchdog::ReconnectWatchdog() : ReconnectWatchdog(Timings{}) {}

ReconnectWatchdog::ReconnectWatchdog(Timings timings) : m_timings(std::move(timings)) {}

void ReconnectWatchdog::start(qint64 now) {
    m_state = State::Loading;
    m_failures = 0;
    m_loadedAt = now;
}

void ReconnectWatchdog::cancel() {
    m_state = State::Idle;
    m_failures = 0;
}

void ReconnectWatchdog::progress(qint64 now) {
    if (m_state == State::Loading) {
        m_state = State::Playing;
        m_playingSince = now;
    }
    if (m_state != State::Playing) {
        return;
    }
    m_lastProgress = now;
    if (now - m_playingSince >= m_timings.healthyMs) {
        m_failures = 0;
    }
}

void ReconnectWatchdog::failed(qint64 now) {
    if (m_state != State::Loading && m_state != State::Playing) {
        return;
    }
    ++m_failures;
    const std::size_t step = std::min<std::size_t>(static_cast<std::size_t>(m_failures - 1),
                                                   m_timings.backOffMs.size() - 1);
    m_retryAt = now + m_timings.backOffMs[step];
    m_state = State::Waiting;
}

void ReconnectWatchdog::checkDeadlines(qint64 now) {
    if (m_state == State::Loading && now - m_loadedAt >= m_timings.firstFrameMs) {
        failed(now);
    } else if (m_state == State::Playing && now - m_lastProgress >= m_timings.stallMs) {
        failed(now);
    }
}

bool ReconnectWatchdog::reloadDue(qint64 now) {
    checkDeadlines(now);
    if (m_state != State::Waiting || now < m_retryAt) {
        return false;
    }
    m_state = State::Loading;
    m_loadedAt = now;
    return true;
}
