#pragma once

#include "widgets/CGifPlayer.h"

#include <QWidget>

class Clock;

// A small child window that shows one GIF of the program's resources.
class CGifDlg : public QWidget {
    Q_OBJECT

public:
    // CLOCK times the animation.
    explicit CGifDlg(Clock& clock, QWidget* parent = nullptr);

    int ShowGif(int resource);
    QSize GetGifSize() const { return m_player->GetSize(); }
    CGifPlayer* player() const { return m_player; }

private:
    CGifPlayer* m_player;
};
