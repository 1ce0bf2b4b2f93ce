// A playback control for tests: accepts every dispatch call, answers readiness at once, and
// writes each call into a log the test reads back.
#include "playback/ControlIdentity.h"
#include "playback/PlaybackControl.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace {

QStringList& log() {
    static QStringList entries;
    return entries;
}

// How many readiness questions a new control answers with "not yet" (-1: it never gets ready).
int& slowness() {
    static int queries = 0;
    return queries;
}

class RecordingControl : public PlaybackControl {
public:
    explicit RecordingControl(QWidget* parent)
        : m_widget(new QWidget(parent)), m_notReadyFor(slowness()) {
        log().append(QStringLiteral("create"));
    }
    ~RecordingControl() override {
        log().append(QStringLiteral("destroy"));
        delete m_widget.data();
    }
    QWidget* widget() override { return m_widget.data(); }
    QVariant invoke(int dispatchId, const QVariantList& arguments) override {
        QStringList parts{QString::number(dispatchId)};
        for (const QVariant& argument : arguments) {
            parts.append(QStringLiteral("%1:%2").arg(QString::fromLatin1(argument.typeName()),
                                                     argument.toString()));
        }
        log().append(parts.join(QLatin1Char(' ')));
        if (dispatchId == kInitPlayer) {
            m_ready = true;
        } else if (dispatchId == kStartPlay) {
            m_playing = true;
        } else if (dispatchId == kStopPlay) {
            m_playing = false;
        } else if (dispatchId == kQueryState) {
            const int selector = arguments.value(0).toInt();
            if (selector == 1 && m_ready && m_notReadyFor != 0) {
                if (m_notReadyFor > 0) {
                    --m_notReadyFor;
                }
                return static_cast<qint32>(0);
            }
            return static_cast<qint32>(selector == 1 ? (m_ready ? 1 : 0) : (m_playing ? 1 : 0));
        }
        return {};
    }
    void setEventSink(std::function<void(int)>) override {}

private:
    QPointer<QWidget> m_widget;
    bool m_ready = false;
    bool m_playing = false;
    int m_notReadyFor;
};

}  // namespace

extern "C" Q_DECL_EXPORT const char* VeloControlProgId() {
    return ControlIdentity::kProgId;
}

extern "C" Q_DECL_EXPORT const char* VeloControlClassId() {
    return ControlIdentity::kClassId;
}

extern "C" Q_DECL_EXPORT PlaybackControl* VeloCreateControl(QWidget* parent) {
    return new RecordingControl(parent);
}

extern "C" Q_DECL_EXPORT void VeloDestroyControl(PlaybackControl* control) {
    delete control;
}

// The calls made so far, oldest first; the test clears it between steps.
extern "C" Q_DECL_EXPORT QStringList* RecordingControlLog() {
    return &log();
}

// Makes the controls created from now on slow to get ready.
extern "C" Q_DECL_EXPORT void RecordingControlSetSlowness(int queries) {
    slowness() = queries;
}
