#pragma once

#include <QAbstractButton>

// One of the caption's painted buttons as the keyboard and a screen reader meet it: an unpainted
// button over the painted one, reached with Tab and pressed with Space, named in the program's
// words. The pointer passes through it to the caption, which keeps its own hover and press faces.
class CCaptionKey : public QAbstractButton {
    Q_OBJECT

public:
    explicit CCaptionKey(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_keyboardFocus = false;
};
