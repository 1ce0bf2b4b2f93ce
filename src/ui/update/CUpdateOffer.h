#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

class Clock;
class QWidget;

// What the client does when the service announces a new version: the balloon at the tray icon
// for an offer, the prompt for a mandatory update, and the start of the updater.
class CUpdateOffer : public QObject {
    Q_OBJECT

public:
    inline static const QString kUpdaterTitle =
        QStringLiteral("VELOオンラインアップグレードサーバ ");
    inline static const QString kUpdater = QStringLiteral("Update.exe");

    // OWNER carries the prompt; the updater is looked for in PROGRAMFOLDER; CLOCK times the
    // balloon.
    CUpdateOffer(QWidget* owner, QString programFolder, Clock& clock);

    // Where the tray icon is (empty when unknown) and what to do before the prompt (stop
    // playback).
    std::function<QRect()> iconRect;
    std::function<void()> beforePrompt;
    // The client's ordinary close, for a refused mandatory update.
    std::function<void()> closeClient;
    // How the client ends once the updater has started: it only signs out, since the updater
    // takes over the program folder as it is.
    std::function<void()> endForUpdater;

    // A new version: the balloon with the body TEXT2.
    void showBalloon(const QString& text2);
    // A mandatory update: the prompt. Refusing it closes the client; accepting starts the
    // updater, and when that cannot start, the client goes on.
    void offerMandatory();
    // The updater's window is raised when it is up already; otherwise the updater is started,
    // which ends the client. False when neither happened.
    bool StartUpdater();

private:
    QWidget* m_owner;
    QString m_programFolder;
    Clock& m_clock;
};
