#include "platform/EventTrace.h"

#include <QFile>

#include <unistd.h>
#include <ctime>

std::unique_ptr<EventTrace> EventTrace::fromEnvironment() {
    if (qEnvironmentVariableIsEmpty("VELO_TRACE")) {
        return nullptr;
    }
    return std::make_unique<EventTrace>(stderr, qgetenv("VELO_TRACE") != "events");
}

EventTrace::EventTrace(std::FILE* out, bool measureStalls, QObject* parent)
    : QObject(parent), m_out(out) {
    m_timer.setInterval(kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &EventTrace::tick);
    m_sinceTick.start();
    if (measureStalls) {
        m_timer.start();
    }
}

void EventTrace::tick() {
    if (!m_timer.isActive()) {
        return;
    }
    const qint64 gap = m_sinceTick.restart() - kTickMs;
    if (gap > m_longest) {
        m_longest = gap;
    }
}

void EventTrace::mark(const char* event) {
    // The loop may be stalled right now, by the work that led to this event.
    tick();
    std::fprintf(m_out, "velo-trace %lld %s stall-max-ms=%lld\n",
                 static_cast<long long>(sinceProcessStart()), event,
                 static_cast<long long>(m_longest));
    std::fflush(m_out);
    m_longest = 0;
}

qint64 EventTrace::sinceProcessStart() {
    // The process's start, in clock ticks after boot, is field 22 of its stat line; the name in
    // field 2 may hold blanks, so the fields are counted after its closing parenthesis.
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20) {
        return -1;
    }
    const double startSeconds = fields[19].toDouble() / static_cast<double>(::sysconf(_SC_CLK_TCK));
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowSeconds = static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
    return static_cast<qint64>((nowSeconds - startSeconds) * 1000.0);
}
