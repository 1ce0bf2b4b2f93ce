#pragma once

#include <QString>
#include <QStringList>

// Everything the player pane says to the user, in one place.
namespace ZarTexts {

inline QString cannotPlay() {
    return QStringLiteral("現在このチャンネルを再生できません");
}
inline QString refused() {
    return QStringLiteral("このアカウントではこのチャンネルを視聴できません");
}
// %1: the how-many-th attempt.
inline QString reconnecting(int attempt) {
    return QStringLiteral("再接続中… (%1回目)").arg(attempt);
}
inline QString volume(int percent) {
    return QStringLiteral("音量 %1").arg(percent);
}
inline QString muted() {
    return QStringLiteral("ミュート");
}
inline QString unmuted() {
    return QStringLiteral("ミュート解除");
}
inline QString noSoundOutput() {
    return QStringLiteral("音声出力がありません");
}
// Holding and moving through live television.
inline QString paused() {
    return QStringLiteral("一時停止");
}
inline QString resumed() {
    return QStringLiteral("再生");
}
inline QString back(int seconds) {
    return QStringLiteral("%1秒戻る").arg(seconds);
}
inline QString forth(int seconds) {
    return QStringLiteral("%1秒進む").arg(seconds);
}
inline QString live() {
    return QStringLiteral("ライブ");
}
// A length of time as the pane shows it: "01:23", or "1:02:03" past an hour.
inline QString clock(int seconds) {
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesSeconds)
                           : minutesSeconds;
}
// The mark while the picture is behind the newest: "タイムシフト -01:23".
inline QString behind(int seconds) {
    return QStringLiteral("タイムシフト -%1").arg(clock(seconds));
}
// The mark while recording, with the time recorded: "● 録画中 00:12".
inline QString recording(int seconds) {
    return QStringLiteral("● 録画中 %1").arg(clock(seconds));
}
// %1: the file's name.
inline QString recordingTo(const QString& file) {
    return QStringLiteral("録画開始: %1").arg(file);
}
inline QString recordingStopped() {
    return QStringLiteral("録画を停止しました");
}
inline QString diskFull() {
    return QStringLiteral("ディスクの空きが足りないため録画を停止しました");
}
inline QString cannotRecord() {
    return QStringLiteral("録画できません");
}
inline QString stillSaved() {
    return QStringLiteral("画面を保存しました");
}
inline QString cannotSaveStill() {
    return QStringLiteral("画面を保存できませんでした");
}
// The pane's commands, as its menu names them.
inline QString pauseItem() {
    return QStringLiteral("一時停止 / 再生");
}
inline QString backItem() {
    return QStringLiteral("10秒戻る");
}
inline QString forthItem() {
    return QStringLiteral("10秒進む");
}
inline QString liveItem() {
    return QStringLiteral("ライブに戻る");
}
inline QString recordItem() {
    return QStringLiteral("録画の開始 / 停止");
}
inline QString stillItem() {
    return QStringLiteral("画面を保存");
}
inline QString helpItem() {
    return QStringLiteral("キー操作");
}
// Every key the pane and the window take, a "key　what it does" a line, for the overlay.
inline QStringList keyHelp() {
    return {QStringLiteral("Space　一時停止 / 再生"),
            QStringLiteral("← / →　10秒戻る / 進む（Shift: 60秒）"),
            QStringLiteral("End　ライブに戻る"),
            QStringLiteral("R　録画の開始 / 停止"),
            QStringLiteral("S　画面を保存"),
            QStringLiteral("↑ / ↓・ホイール　音量"),
            QStringLiteral("M　ミュート"),
            QStringLiteral("F / F11・ダブルクリック　全画面（Esc: 戻る）"),
            QStringLiteral("PageUp / PageDown　前 / 次のチャンネル"),
            QStringLiteral("数字　チャンネル番号で選局"),
            QStringLiteral("Backspace　前に見たチャンネル"),
            QStringLiteral("? / F1　このキー操作")};
}
inline QString keyHelpTitle() {
    return QStringLiteral("キー操作");
}

// What a screen reader calls the picture, and what it says plays there.
inline QString pictureName() {
    return QStringLiteral("映像");
}
inline QString playing(const QString& channel) {
    return QStringLiteral("再生中: %1").arg(channel);
}

}  // namespace ZarTexts
