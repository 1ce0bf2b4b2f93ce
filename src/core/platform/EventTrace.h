#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdio>

// Timing lines for the benchmarks, asked for with the environment variable VELO_TRACE. Each
// line says how many milliseconds after the process started an event happened, and the longest
// the thread's event loop went without turning since the line before: a 5 ms timer that should
// fire every 5 ms measures how late it came. VELO_TRACE=events leaves the timer out (and the
// stall reads 0), for benchmarks that measure what the client costs at rest.
//   velo-trace <ms> <event> stall-max-ms=<ms>
class EventTrace : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 5;
    // The application property the client hangs its trace on, so that a playback control,
    // a module of its own, marks what the pane shows in the same lines.
    static constexpr const char* kHostProperty = "veloTrace";

    // A trace when the environment asks for one, otherwise none.
    static std::unique_ptr<EventTrace> fromEnvironment();
    explicit EventTrace(std::FILE* out = stderr, bool measureStalls = true,
                        QObject* parent = nullptr);

    void mark(const char* event);
    // The same, for a caller that knows the trace only as an object (a playback control).
    Q_INVOKABLE void mark(const QByteArray& event) { mark(event.constData()); }
    // The longest gap since the last mark, in milliseconds beyond the timer's own interval.
    qint64 longestStallMs() const { return m_longest; }
    // Milliseconds since the process started.
    static qint64 sinceProcessStart();

private:
    void tick();

    std::FILE* m_out;
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};
