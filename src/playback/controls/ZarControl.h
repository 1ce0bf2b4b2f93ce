#pragma once

#include "playback/PlaybackControl.h"

#include <QPointer>
#include <QWidget>

class QStackedWidget;
class QTextBrowser;
class ZarPlayingView;

// The playback control the client ships in codec/Zar.ocx. While idle it shows the program's logo
// page; while playing it shows the channel over a dark picture.
class ZarControl : public PlaybackControl {
public:
    explicit ZarControl(QWidget* parent);
    ~ZarControl() override;

    QWidget* widget() override;
    QVariant invoke(int dispatchId, const QVariantList& arguments) override;
    void setEventSink(std::function<void(int)> sink) override { m_sink = std::move(sink); }

private:
    QPointer<QStackedWidget> m_stack;
    QTextBrowser* m_logo = nullptr;
    ZarPlayingView* m_playing = nullptr;
    std::function<void(int)> m_sink;
    QString m_logoPage;
    QString m_address;
    QString m_channel;
    QString m_user;
    bool m_initialised = false;
    bool m_playingNow = false;
};
