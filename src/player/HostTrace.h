#pragma once

#include "platform/EventTrace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QVariant>

// The host's timing lines (VELO_TRACE), when it keeps them: what the pane shows is marked on
// the host's own trace, found as an application property, so the benchmarks read one sequence
// of lines with one stall figure. Without a trace nothing happens.
namespace HostTrace {

inline void mark(const char* event) {
    const QCoreApplication* app = QCoreApplication::instance();
    QObject* trace =
        app != nullptr ? app->property(EventTrace::kHostProperty).value<QObject*>() : nullptr;
    if (trace != nullptr) {
        QMetaObject::invokeMethod(trace, "mark", Qt::DirectConnection,
                                  Q_ARG(QByteArray, QByteArray(event)));
    }
}

}  // namespace HostTrace
