#include "support/UiFixture.h"

#include "platform/ControlRegistry.h"
#include "playback/CDsopocx.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

UiFixture::UiFixture() : m_previousData(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    EXPECT_TRUE(ControlRegistry::registerControl(CDsopocx::kProgId, CDsopocx::kClassId,
                                                 QStringLiteral(VELO_RECORDING_CONTROL)));
    m_recording.setFileName(QStringLiteral(VELO_RECORDING_CONTROL));
    EXPECT_TRUE(m_recording.load()) << m_recording.errorString().toStdString();
    clearControlCalls();
}

UiFixture::~UiFixture() {
    setControlSlowness(0);
    qputenv("XDG_DATA_HOME", m_previousData);
}

void UiFixture::setControlSlowness(int queries) const {
    using SlownessFunction = void (*)(int);
    const auto set = reinterpret_cast<SlownessFunction>(
        const_cast<QLibrary&>(m_recording).resolve("RecordingControlSetSlowness"));
    if (set != nullptr) {
        set(queries);
    }
}

QStringList UiFixture::controlCalls() const {
    using LogFunction = QStringList* (*)();
    const auto log = reinterpret_cast<LogFunction>(
        const_cast<QLibrary&>(m_recording).resolve("RecordingControlLog"));
    return log != nullptr ? *log() : QStringList{QStringLiteral("<no log>")};
}

void UiFixture::clearControlCalls() const {
    using LogFunction = QStringList* (*)();
    const auto log = reinterpret_cast<LogFunction>(
        const_cast<QLibrary&>(m_recording).resolve("RecordingControlLog"));
    if (log != nullptr) {
        log()->clear();
    }
}

void UiFixture::whenModalOpens(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start();
}
