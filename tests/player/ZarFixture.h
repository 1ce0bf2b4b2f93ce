#pragma once

#include "StreamService.h"
#include "playback/PlaybackControl.h"

#include <QImage>
#include <QLibrary>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

// The real playback control module in a host window, against a reference service of its own,
// with a fresh per-user folder and no sound device.
class ZarFixture {
public:
    static constexpr int kDeadlineMs = 30000;

    ZarFixture();
    ~ZarFixture();

    StreamService& service() { return m_service; }
    QWidget& host() { return m_host; }
    PlaybackControl* control() { return m_control.get(); }
    QString configFolder() const { return m_config.path(); }

    // Makes the control in the host as the player window does, signed in as ID.
    void create(const QString& id = QStringLiteral("demo@velo.example"),
                const QString& password = QStringLiteral("demo1234"), bool waitForPlayer = true);
    void destroy();
    void play(const QString& address, const QString& channel);
    void stop();
    int state(int selector);
    // What the player pane says, has drawn, and uses to draw.
    QVariant pane(const char* property);
    qint64 frames() { return pane("framesShown").toLongLong(); }
    QImage picture();
    // WIDGET as it shows on the screen.
    static QImage shown(QWidget* widget);

    // Runs the event loop until TEST holds or MS pass; the outcome of TEST.
    static bool waitFor(const std::function<bool()>& test, int ms = kDeadlineMs);

private:
    struct Deleter {
        VeloDestroyControlFunction destroy;
        void operator()(PlaybackControl* control) const { destroy(control); }
    };

    QTemporaryDir m_config;
    QByteArray m_previousConfig;
    StreamService m_service;
    QWidget m_host;
    QLibrary m_module;
    std::unique_ptr<PlaybackControl, Deleter> m_control{nullptr, Deleter{nullptr}};
};

// How many different colours IMAGE holds (counted on a coarse grid).
int colourCount(const QImage& image);
// The share of sampled pixels that differ between A and B.
double differingShare(const QImage& a, const QImage& b);
