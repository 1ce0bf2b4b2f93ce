#pragma once

#include "playback/PlaybackControl.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class LivePlayback;
class PlayerView;
class QStackedWidget;
class QTextBrowser;

// The playback control the client ships in codec/Zar.ocx: a live-television player. While idle
// it shows the program's logo page; while a channel is chosen it shows the player pane, where
// the channel plays through libmpv and is kept playing when the stream fails.
class ZarControl : public PlaybackControl {
public:
    explicit ZarControl(QWidget* parent);
    ~ZarControl() override;

    QWidget* widget() override;
    QVariant invoke(int dispatchId, const QVariantList& arguments) override;
    void setEventSink(std::function<void(int)> sink) override { m_sink = std::move(sink); }

private:
    void setLogoPage(const QString& path);

    QPointer<QStackedWidget> m_stack;
    QTextBrowser* m_logo = nullptr;
    PlayerView* m_view = nullptr;
    std::unique_ptr<LivePlayback> m_playback;
    std::function<void(int)> m_sink;
    QString m_address;
    QString m_channel;
    QString m_user;
    QString m_password;
    QString m_authUrl;
};
