#include "widgets/CGifDlg.h"

CGifDlg::CGifDlg(Clock& clock, QWidget* parent)
    : QWidget(parent), m_player(new CGifPlayer(clock, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
}

int CGifDlg::ShowGif(int resource) {
    m_player->Unload();
    if (m_player->LoadFromResource(QStringLiteral(":/gif/%1").arg(resource)) == 0) {
        return 0;
    }
    m_player->Draw();
    m_player->move(0, 0);
    resize(m_player->GetSize());
    show();
    return 1;
}
