#pragma once

#include "widgets/CGifPlayer.h"

#include <QWidget>

// A small child window that shows one GIF of the program's resources.
class CGifDlg : public QWidget {
    Q_OBJECT

public:
    explicit CGifDlg(QWidget* parent = nullptr);

    int ShowGif(int resource);
    QSize GetGifSize() const { return m_player->GetSize(); }
    CGifPlayer* player() const { return m_player; }

private:
    CGifPlayer* m_player;
};
