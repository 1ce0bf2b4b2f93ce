#pragma once

#include <QScrollBar>

// The channel list's vertical scroll bar, painted from the program's bitmaps: arrows at both
// ends, the track, and a thumb of two caps, a stretched middle and a grip.
class CSkinScrollBar : public QScrollBar {
    Q_OBJECT

public:
    static constexpr int kWidth = 15;

    explicit CSkinScrollBar(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
