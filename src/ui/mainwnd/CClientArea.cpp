#include "mainwnd/CClientArea.h"

#include <QPainter>

CClientArea::CClientArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CClientArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (onPaint) {
        onPaint(painter);
    }
}

void CClientArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) {
        onResize();
    }
}
