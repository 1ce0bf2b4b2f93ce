#pragma once

#include <QString>

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
// What a screen reader calls the picture, and what it says plays there.
inline QString pictureName() {
    return QStringLiteral("映像");
}
inline QString playing(const QString& channel) {
    return QStringLiteral("再生中: %1").arg(channel);
}

}  // namespace ZarTexts
