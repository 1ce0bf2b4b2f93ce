#pragma once

#include <QRect>
#include <QString>

class QFontMetrics;

// A short note on the picture (the channel as it starts, the volume, the sound muted): where its
// box stands in the picture's AREA and what of it shows. The box fits the text; the text is cut,
// with an ellipsis, only where the picture is too narrow for it.
struct OverlayNote {
    static constexpr int kMargin = 14;   // from the picture's corner
    static constexpr int kPadding = 12;  // inside the box, each side

    QRect box;
    QString text;

    static OverlayNote place(const QString& note, const QFontMetrics& metrics, const QRect& area);
};
