#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

// What every drawing of the image generator shares: the program's colours, its font and the
// vertical gradient of its panels.
namespace Painting {

inline const QColor kAccent(5, 153, 201);
inline const QColor kText(216, 230, 240);

QFont uiFont(int pixelSize, bool bold = false);
void verticalGradient(QPainter& p, const QRectF& rect, const QColor& top, const QColor& bottom);

}  // namespace Painting
