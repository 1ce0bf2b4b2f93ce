#include "catalogue/CChannelTreeCtrl.h"

#include "app/AppContext.h"
#include "app/Messages.h"
#include "catalogue/ChannelList.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

enum Role : int {
    kChannelRole = Qt::UserRole + 1,
    kFirstBitmapRole,
    kSecondBitmapRole,
};

const QColor kText(255, 255, 255);
const QColor kPlayingText(104, 176, 48);

}  // namespace

CChannelTreeCtrl::CChannelTreeCtrl(AppContext& context, QWidget* owner, QWidget* parent)
    : QTreeWidget(parent), m_context(context), m_owner(owner) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    // Groups open and close by a click anywhere on their row, handled here alone.
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setMouseTracking(true);
    setUniformRowHeights(true);
    setIndentation(14);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #0e141b; color: #ffffff; outline: 0; }"
        "QTreeWidget::item { height: %1px; }"
        "QTreeWidget::item:selected { background: #04101a; color: #0599c9; }"
        "QTreeWidget::item:hover { background: #04101a; }"
        "QScrollBar:vertical { background: #0b1117; width: 12px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #23394b; min-height: 24px; border-radius: 4px;"
        " margin: 2px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }")
                      .arg(kRowHeight));
}

QTreeWidgetItem* CChannelTreeCtrl::InsertChannelItem(QTreeWidgetItem* parent, const QString& text,
                                                     int firstBitmap, int secondBitmap) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, kFirstBitmapRole, firstBitmap);
    item->setData(0, kSecondBitmapRole, secondBitmap);
    item->setForeground(0, kText);
    if (parent == nullptr) {
        QFont bold = font();
        bold.setBold(true);
        item->setFont(0, bold);
    }
    return item;
}

void CChannelTreeCtrl::setItemChannel(QTreeWidgetItem* item, const ChannelInfo* channel) {
    item->setData(0, kChannelRole, QVariant::fromValue(static_cast<const void*>(channel)));
}

const ChannelInfo* CChannelTreeCtrl::itemChannel(const QTreeWidgetItem* item) {
    return item != nullptr
               ? static_cast<const ChannelInfo*>(item->data(0, kChannelRole).value<const void*>())
               : nullptr;
}

void CChannelTreeCtrl::SetExpandImages(int, int, QRgb) {
    // The list's own look, with its marks, belongs to its painter.
}

void CChannelTreeCtrl::SetBackground(int) {}

bool CChannelTreeCtrl::CreateGroupMarks() {
    return true;
}

void CChannelTreeCtrl::ClearPlayingItem() {
    setPlaying(nullptr);
}

void CChannelTreeCtrl::setPlaying(QTreeWidgetItem* item) {
    if (m_playing != nullptr) {
        m_playing->setForeground(0, kText);
    }
    m_playing = item;
    if (m_playing != nullptr) {
        m_playing->setForeground(0, kPlayingText);
    }
    viewport()->update();
}

void CChannelTreeCtrl::requestPlay(QTreeWidgetItem* item, bool keepPrevious) {
    if (!keepPrevious) {
        m_context.previousChannelName = m_context.currentChannelName;
        m_context.previousChannelId = m_context.currentChannelId;
    }
    m_context.selectedChannelName = item->text(0);
    m_context.currentChannelName = item->text(0);
    m_context.selectedChannel = itemChannel(item);
    if (m_owner != nullptr) {
        QCoreApplication::postEvent(m_owner,
                                    new Messages::WindowMessage(Messages::kPlaySelected));
    }
    setPlaying(item);
}

void CChannelTreeCtrl::playSelected() {
    QTreeWidgetItem* item = currentItem();
    if (item != nullptr && item->childCount() == 0) {
        requestPlay(item, false);
    }
}

void CChannelTreeCtrl::playFromMenu(QTreeWidgetItem* item) {
    if (item != nullptr && item->childCount() == 0) {
        requestPlay(item, true);
    }
}

void CChannelTreeCtrl::mouseMoveEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item != nullptr && item != m_hot) {
        m_hot = item;
        viewport()->update();
    }
    setCursor(Qt::ArrowCursor);
    QTreeWidget::mouseMoveEvent(event);
}

void CChannelTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item != nullptr && item->childCount() > 0) {
        item->setExpanded(!item->isExpanded());
    }
}

void CChannelTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    playSelected();
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CChannelTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (item == nullptr || item->childCount() > 0) {
        return;
    }
    QMenu menu(this);
    QAction* play = menu.addAction(kPlayText);
    menu.addAction(kRefreshText);  // not handled by the list
    if (menu.exec(event->globalPos()) == play) {
        playFromMenu(item);
    }
}

void CChannelTreeCtrl::wheelEvent(QWheelEvent* event) {
    event->accept();
}
