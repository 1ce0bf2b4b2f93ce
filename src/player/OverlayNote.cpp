#include "OverlayNote.h"

#include <QFontMetrics>

#include <algorithm>

OverlayNote OverlayNote::place(const QString& note, const QFontMetrics& metrics,
                               const QRect& area) {
    // The text's own width, rounded up: the whole-pixel advance can fall short of what drawing
    // takes, and a box only that wide had its last characters cut for nothing.
    const int needed =
        std::max(metrics.horizontalAdvance(note), metrics.boundingRect(note).width()) + 1;
    const int room = std::max(0, area.width() - 2 * kMargin - 2 * kPadding);
    OverlayNote placed;
    placed.text = needed <= room ? note : metrics.elidedText(note, Qt::ElideRight, room);
    const int width = std::min(needed, room) + 2 * kPadding;
    placed.box = QRect(area.left() + kMargin, area.top() + kMargin, width, metrics.height() + 12);
    return placed;
}
