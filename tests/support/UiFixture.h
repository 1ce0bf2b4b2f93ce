#pragma once

#include <QLibrary>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// What every window test needs: a registry of its own in which the recording playback control
// stands for the real one, and a way to act on a modal dialog once it is open.
class UiFixture {
public:
    UiFixture();
    ~UiFixture();

    // The calls the recording control received, oldest first.
    QStringList controlCalls() const;
    void clearControlCalls() const;
    // Controls created from now on answer the readiness question QUERIES times with "not yet"
    // (-1: always).
    void setControlSlowness(int queries) const;

    // Runs ACT on the next modal dialog that opens, from inside its event loop.
    static void whenModalOpens(std::function<void(QWidget*)> act);

private:
    QTemporaryDir m_data;
    QByteArray m_previousData;
    QLibrary m_recording;
};
