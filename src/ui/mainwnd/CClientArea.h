#pragma once

#include <QWidget>

#include <functional>

// The main window's client area below its painted caption: the window's own controls live on it,
// and it hands its painting and its size changes back to the window.
class CClientArea : public QWidget {
    Q_OBJECT

public:
    explicit CClientArea(QWidget* parent);

    std::function<void(QPainter&)> onPaint;
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
