#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A push button drawn only from bitmaps: a normal face, a face while the pointer is over it, and
// a pressed face drawn over either. No text or border of its own; Tab reaches it, and while the
// keyboard brought the focus there a dotted outline says so (a click leaves no mark).
class CSkinButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CSkinButton(QWidget* parent = nullptr);

    // Bitmap numbers in the order hover, normal, pressed, spare; a number without a bitmap
    // leaves that face empty.
    void SetBitmaps(int hover, int normal, int pressed, int spare);
    bool isHovered() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_spare;  // kept, never drawn
    QPixmap m_hoverFace;
    bool m_hover = false;
    bool m_keyboardFocus = false;
};
