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
// The mark while the picture is behind the newest: "ライブより 1:05 遅れ".
inline QString behind(int seconds) {
    return QStringLiteral("ライブより %1:%2 遅れ")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
inline QString recording() {
    return QStringLiteral("● 録画中");
}
// %1: the file's name.
inline QString recordingTo(const QString& file) {
    return QStringLiteral("録画開始: %1").arg(file);
}
inline QString recordingStopped() {
    return QStringLiteral("録画を停止しました");
}
inline QString cannotRecord() {
    return QStringLiteral("録画できません");
}
inline QString stillSaved(const QString& file) {
    return QStringLiteral("静止画を保存しました: %1").arg(file);
}
inline QString cannotSaveStill() {
    return QStringLiteral("静止画を保存できませんでした");
}
// The keys of the pane, one "key — what it does" a line, as the help box lists them.
inline QStringList keyHelp() {
    return {QStringLiteral("Space　一時停止 / 再生"),
            QStringLiteral("← / →　10秒戻る / 進む"),
            QStringLiteral("End　ライブに戻る"),
            QStringLiteral("R　録画の開始 / 停止"),
            QStringLiteral("S　静止画を保存"),
            QStringLiteral("↑ / ↓・ホイール　音量"),
            QStringLiteral("M　ミュート"),
            QStringLiteral("F / F11・ダブルクリック　全画面"),
            QStringLiteral("H / F1　このヘルプ")};
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
