#include "catalogue/GroupMark.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelRowDelegate.h"
#include "widgets/CGifDlg.h"

#include <QFontMetrics>

#include <algorithm>

void GroupMark::create(Clock& clock, CChannelTreeCtrl& tree) {
    if (m_widget != nullptr) {
        return;
    }
    m_widget = new CGifDlg(clock, tree.viewport());
    m_widget->hide();
    place(tree, idleGif);
}

void GroupMark::place(const CChannelTreeCtrl& tree, int gif) {
    if (m_widget == nullptr || m_group == nullptr) {
        return;
    }
    if (gif != 0 && gif != m_shown && m_widget->ShowGif(gif) == 1) {
        m_shown = gif;
    }
    const QRect row = tree.visualItemRect(m_group);
    if (row.isEmpty()) {
        m_widget->hide();
        return;
    }
    const QSize size = m_widget->GetGifSize();
    // A hundred pixels in, or just after the group's name when that is longer.
    const int textEnd = row.left() + ChannelRowDelegate::textLeft(*m_group) + 20 +
                        QFontMetrics(tree.fontOf(m_group)).horizontalAdvance(m_group->text());
    const int x = std::min(std::max(row.left() + 100, textEnd + 6),
                           tree.viewport()->width() - size.width() - 2);
    m_widget->move(std::max(row.left() + 100, x), row.top() + (row.height() - size.height()) / 2);
    m_widget->show();
}
