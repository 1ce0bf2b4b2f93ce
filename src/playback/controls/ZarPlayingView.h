#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// What the stand-in control shows while a channel plays: the channel's name over a dark, slowly
// moving picture, with a live mark and the running time.
class ZarPlayingView : public QWidget {
public:
    explicit ZarPlayingView(QWidget* parent = nullptr);

    void start(const QString& channel, const QString& address);
    void stop();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_channel;
    QString m_address;
    QElapsedTimer m_clock;
    QTimer m_tick;
};
