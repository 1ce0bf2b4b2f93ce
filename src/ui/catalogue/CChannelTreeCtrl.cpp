#include "catalogue/CChannelTreeCtrl.h"

#include "catalogue/CSkinScrollBar.h"
#include "catalogue/ChannelList.h"
#include "session/AppContext.h"
#include "widgets/CGifDlg.h"
#include "widgets/CMenuEx.h"
#include "widgets/Messages.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

namespace {

enum Role : int {
    kChannelRole = Qt::UserRole + 1,
    kFirstBitmapRole,
    kSecondBitmapRole,
};

// A channel's row. A list may hold a hundred thousand of them: the row keeps only the record it
// shows and gives its label and marks from it when asked, instead of storing each as item data.
class ChannelItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    explicit ChannelItem(const ChannelInfo* channel) : QTreeWidgetItem(kType), m_channel(channel) {}

    QVariant data(int column, int role) const override {
        if (column == 0) {
            switch (role) {
                case Qt::DisplayRole:
                case Qt::EditRole:
                    return m_channel != nullptr ? ChannelLabel(*m_channel) : QString();
                case kFirstBitmapRole:
                    return 177;
                case kSecondBitmapRole:
                    return 176;
                case kChannelRole:
                    return QVariant::fromValue(static_cast<const void*>(m_channel));
                default:
                    break;
            }
        }
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant& value) override {
        if (column == 0 && role == kChannelRole) {
            m_channel = static_cast<const ChannelInfo*>(value.value<const void*>());
            emitDataChanged();
            return;
        }
        QTreeWidgetItem::setData(column, role, value);
    }

private:
    const ChannelInfo* m_channel;
};

// A bitmap whose pixels of one colour are transparent.
QPixmap keyed(const QString& path, const QColor& transparent) {
    QPixmap pixmap(path);
    if (!pixmap.isNull()) {
        pixmap.setMask(pixmap.createMaskFromColor(transparent));
    }
    return pixmap;
}

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
    setIndentation(kIndent);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    m_scrollBar = new CSkinScrollBar(this);
    setVerticalScrollBar(m_scrollBar);

    // Group rows have black as their transparent colour.
    m_group = keyed(QStringLiteral(":/bitmap/227"), Qt::black);
    m_groupSelected = keyed(QStringLiteral(":/bitmap/226"), Qt::black);
    m_bold.setPixelSize(14);
    m_bold.setBold(true);
    m_normal.setPixelSize(14);
    // Rows are 25 pixels high whatever the font.
    setStyleSheet(QStringLiteral("QTreeView::item { height: %1px; }").arg(kRowHeight));
}

CChannelTreeCtrl::~CChannelTreeCtrl() = default;

QTreeWidgetItem* CChannelTreeCtrl::InsertChannelItem(QTreeWidgetItem* parent, const QString& text,
                                                     int firstBitmap, int secondBitmap) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, kFirstBitmapRole, firstBitmap);
    item->setData(0, kSecondBitmapRole, secondBitmap);
    return item;
}

void CChannelTreeCtrl::FillChannelTree(const ChannelList& lists) {
    clear();
    m_hot = nullptr;
    m_playing = nullptr;
    m_popular = nullptr;
    m_latest = nullptr;
    m_favourites = nullptr;
    m_recents = nullptr;

    // One pass sorts the channels by group and the groups by set, so filling costs as much as
    // the list is long.
    QHash<int, std::vector<const ChannelInfo*>> channelsOf;
    for (const auto& channel : lists.channels) {
        channelsOf[channel->groupIndex].push_back(channel.get());
    }
    QHash<int, std::vector<const GroupInfo*>> groupsOf;
    for (const auto& group : lists.groups) {
        groupsOf[group->setIndex].push_back(group.get());
    }
    for (const auto& set : lists.groupSets) {
        QTreeWidgetItem* setItem = InsertChannelItem(nullptr, set->name, 0, 0);
        for (const GroupInfo* group : groupsOf.value(set->index)) {
            QTreeWidgetItem* groupItem = InsertChannelItem(setItem, group->name, 0, 0);
            QList<QTreeWidgetItem*> children;
            if (group->hasChannels) {
                const auto found = channelsOf.constFind(group->groupIndex);
                if (found != channelsOf.constEnd()) {
                    children.reserve(static_cast<qsizetype>(found->size()));
                    for (const ChannelInfo* channel : *found) {
                        children.append(makeChannelItem(channel));
                    }
                }
            }
            // Added at once: one insertion for the whole group, however many channels it has.
            groupItem->addChildren(children);
            groupItem->setExpanded(true);
            if (!group->hasChannels) {
                InsertChannelItem(groupItem, kEmptyGroupLabel, 177, 176);
            }
            // The set opens with its first group. Scrolling it into view each time would lay out
            // every row so far, once per group, and the list ends at the top anyway.
            if (topLevelItemCount() > 0) {
                setItem->setExpanded(true);
            }
            if (groupItem->childCount() > 0) {
                if (group->name == kPopularGroupName) {
                    m_popular = groupItem;
                } else if (group->name == kLatestGroupName) {
                    m_latest = groupItem;
                }
            }
        }
    }
    for (QTreeWidgetItem* item : {m_popular, m_latest}) {
        if (item != nullptr) {
            item->setExpanded(true);
        }
    }
    scrollToTop();
    m_shownSinceFill = false;
}

QTreeWidgetItem* CChannelTreeCtrl::makeChannelItem(const ChannelInfo* channel) const {
    return new ChannelItem(channel);
}

void CChannelTreeCtrl::replaceCollection(QTreeWidgetItem*& group, const QString& name, int index,
                                         const std::vector<const ChannelInfo*>& channels) {
    QTreeWidgetItem* old = group;
    const auto inOld = [old](const QTreeWidgetItem* item) {
        return old != nullptr && item != nullptr && (item == old || item->parent() == old);
    };
    // The playing mark and the chosen item stay on their channels: in the new group when it
    // shows them, otherwise in the list itself.
    const bool movePlaying = inOld(m_playing);
    const ChannelInfo* playing = movePlaying ? itemChannel(m_playing) : nullptr;
    const bool moveCurrent = inOld(currentItem());
    const ChannelInfo* current = moveCurrent ? itemChannel(currentItem()) : nullptr;
    if (inOld(m_hot)) {
        m_hot = nullptr;
    }
    const bool expanded = old == nullptr || old->isExpanded();
    group = nullptr;
    QTreeWidgetItem* set = topLevelItem(0);
    if (set != nullptr && !channels.empty()) {
        group = new QTreeWidgetItem;
        group->setText(0, name);
        group->setData(0, kFirstBitmapRole, 0);
        group->setData(0, kSecondBitmapRole, 0);
        QList<QTreeWidgetItem*> children;
        for (const ChannelInfo* channel : channels) {
            children.append(makeChannelItem(channel));
        }
        group->addChildren(children);
        set->insertChild(index, group);
        group->setExpanded(expanded);
    }
    delete old;
    const auto find = [this, group](const ChannelInfo* channel) -> QTreeWidgetItem* {
        for (int c = 0; group != nullptr && c < group->childCount(); ++c) {
            if (itemChannel(group->child(c)) == channel) {
                return group->child(c);
            }
        }
        return itemForChannel(channel);
    };
    if (movePlaying) {
        m_playing = playing != nullptr ? find(playing) : nullptr;
    }
    if (moveCurrent) {
        QTreeWidgetItem* moved = current != nullptr ? find(current) : nullptr;
        setCurrentItem(moved != nullptr ? moved : set);
    }
}

void CChannelTreeCtrl::SetCollections(const std::vector<const ChannelInfo*>& favourites,
                                      const std::vector<const ChannelInfo*>& recents) {
    replaceCollection(m_favourites, kFavouritesGroupName, 0, favourites);
    replaceCollection(m_recents, kRecentGroupName, m_favourites != nullptr ? 1 : 0, recents);
    viewport()->update();
    emit collectionsChanged();
}

bool CChannelTreeCtrl::isCollectionItem(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return false;
    }
    const QTreeWidgetItem* group =
        item->parent() != nullptr && item->childCount() == 0 ? item->parent() : item;
    return group != nullptr && (group == m_favourites || group == m_recents);
}

QList<QTreeWidgetItem*> CChannelTreeCtrl::channelItems() const {
    QList<QTreeWidgetItem*> items;
    for (int s = 0; s < topLevelItemCount(); ++s) {
        const QTreeWidgetItem* set = topLevelItem(s);
        for (int g = 0; g < set->childCount(); ++g) {
            const QTreeWidgetItem* group = set->child(g);
            if (group == m_favourites || group == m_recents) {
                continue;
            }
            for (int c = 0; c < group->childCount(); ++c) {
                if (itemChannel(group->child(c)) != nullptr) {
                    items.append(group->child(c));
                }
            }
        }
    }
    return items;
}

QTreeWidgetItem* CChannelTreeCtrl::itemForChannel(const ChannelInfo* channel) const {
    if (channel == nullptr) {
        return nullptr;
    }
    for (QTreeWidgetItem* item : channelItems()) {
        if (itemChannel(item) == channel) {
            return item;
        }
    }
    return nullptr;
}

void CChannelTreeCtrl::playItem(QTreeWidgetItem* item) {
    if (item != nullptr && item->childCount() == 0 && itemChannel(item) != nullptr) {
        setCurrentItem(item);
        requestPlay(item, false);
    }
}

void CChannelTreeCtrl::markPlaying(QTreeWidgetItem* item) {
    setPlaying(item);
}

void CChannelTreeCtrl::setItemChannel(QTreeWidgetItem* item, const ChannelInfo* channel) {
    item->setData(0, kChannelRole, QVariant::fromValue(static_cast<const void*>(channel)));
}

const ChannelInfo* CChannelTreeCtrl::itemChannel(const QTreeWidgetItem* item) {
    return item != nullptr
               ? static_cast<const ChannelInfo*>(item->data(0, kChannelRole).value<const void*>())
               : nullptr;
}

void CChannelTreeCtrl::SetExpandImages(int collapsed, int expanded, QRgb mask) {
    const QPixmap closedImage = keyed(QStringLiteral(":/bitmap/%1").arg(collapsed), QColor(mask));
    const QPixmap openImage = keyed(QStringLiteral(":/bitmap/%1").arg(expanded), QColor(mask));
    // Both or neither: the two marks must be alike.
    if (!closedImage.isNull() && closedImage.size() == openImage.size()) {
        m_collapsed = closedImage;
        m_expanded = openImage;
    }
}

void CChannelTreeCtrl::SetBackground(int bitmap) {
    m_background.load(QStringLiteral(":/bitmap/%1").arg(bitmap));
    viewport()->update();
}

const QPixmap& CChannelTreeCtrl::pixmap(int id) const {
    auto found = m_pixmaps.find(id);
    if (found == m_pixmaps.end()) {
        // The items' marks are drawn with white as their transparent colour.
        found = m_pixmaps.insert(id, keyed(QStringLiteral(":/bitmap/%1").arg(id), Qt::white));
    }
    return found.value();
}

int CChannelTreeCtrl::depthOf(const QTreeWidgetItem* item) const {
    int depth = 0;
    for (const QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) {
        ++depth;
    }
    return depth;
}

void CChannelTreeCtrl::paintEvent(QPaintEvent* event) {
    {
        QPainter p(viewport());
        if (!m_background.isNull()) {
            p.drawPixmap(viewport()->rect(), m_background);
        } else {
            p.fillRect(viewport()->rect(), palette().color(QPalette::Window));
        }
    }
    QTreeWidget::paintEvent(event);
    placeMarks();
    if (!m_shownSinceFill) {
        m_shownSinceFill = true;
        m_context.traceEvent("tree-shown");
    }
}

void CChannelTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QTreeWidgetItem* item = itemFromIndex(index);
    if (item == nullptr) {
        return;
    }
    const QRect row = option.rect;
    const int contentLeft = row.left();
    const int contentWidth = viewport()->width();
    const int textLeft = contentLeft + depthOf(item) * kIndent + 4;
    const bool root = item->parent() == nullptr;
    const bool selected = item->isSelected() && hasFocus();
    const bool group = item->childCount() > 0 || root;
    painter->save();

    if (group) {
        painter->drawPixmap(contentLeft, row.top(), selected ? m_groupSelected : m_group);
        const QPixmap& mark = item->isExpanded() ? m_expanded : m_collapsed;
        if (!mark.isNull()) {
            painter->drawPixmap(textLeft + 4, row.top() + (row.height() - mark.height()) / 2, mark);
        }
        painter->setFont(root ? m_bold : m_normal);
        painter->setPen(kTextColour);
        painter->drawText(QRect(textLeft + 20, row.top(), contentWidth, row.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, item->text(0));
        painter->restore();
        return;
    }

    const int first = item->data(0, kFirstBitmapRole).toInt();
    const int second = item->data(0, kSecondBitmapRole).toInt();
    const QPixmap normalMark = first != 0 ? pixmap(first) : QPixmap();
    const QFontMetrics metrics(root ? m_bold : m_normal);
    const int textX = textLeft + 5 + (normalMark.isNull() ? 0 : normalMark.width());
    const int textTop = row.top() + (row.height() - metrics.height() - 2) / 2 + 1;
    const QRect textRect(textX, textTop, viewport()->width() - textX, row.bottom() - 1 - textTop);
    const auto drawText = [&](int x, const QColor& colour, const QFont& font) {
        painter->setFont(font);
        painter->setPen(colour);
        painter->drawText(QRect(x, textRect.top(), viewport()->width() - x, textRect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, item->text(0));
    };
    const QColor textColour = selected ? kSelectedText : kTextColour;
    drawText(textX, textColour, root ? m_bold : m_normal);

    if (selected || item == m_hot) {
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath box;
        box.addRoundedRect(
            QRectF(contentLeft + 1.5, row.top() + 0.5, contentWidth - 3, row.height() - 2), 2.5,
            2.5);
        painter->fillPath(box, kHighlightFill);
        painter->setPen(QPen(kHighlightFrame, 1));
        painter->drawPath(box);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }
    if (item == m_playing) {
        const QPixmap arrow(QStringLiteral(":/bitmap/134"));
        const QPixmap bars(QStringLiteral(":/bitmap/238"));
        painter->drawPixmap(textLeft - 11, row.top() + (row.height() - arrow.height()) / 2, arrow);
        painter->drawPixmap(textLeft, row.top() + (row.height() - bars.height()) / 2, bars);
        drawText(textLeft + 14, kPlayingText, m_normal);
    } else {
        const int markId = selected ? second : first;
        if (markId != 0) {
            const QPixmap& mark = pixmap(markId);
            painter->drawPixmap(textLeft, row.top() + (row.height() - mark.height()) / 2, mark);
        }
        drawText(textX, textColour, root ? m_bold : m_normal);
    }
    painter->restore();
}

bool CChannelTreeCtrl::CreateGroupMarks() {
    if (m_popularMark == nullptr) {
        m_popularMark = new CGifDlg(*m_context.clock, viewport());
        m_popularMark->hide();
        placeMark(m_popularMark, m_popular, 246, &m_popularGif);
    }
    if (m_latestMark == nullptr) {
        m_latestMark = new CGifDlg(*m_context.clock, viewport());
        m_latestMark->hide();
        placeMark(m_latestMark, m_latest, 248, &m_latestGif);
    }
    return m_popularMark != nullptr && m_latestMark != nullptr;
}

void CChannelTreeCtrl::placeMark(CGifDlg* mark, QTreeWidgetItem* item, int gif, int* shown) {
    if (mark == nullptr || item == nullptr) {
        return;
    }
    if (gif != 0 && gif != *shown) {
        if (mark->ShowGif(gif) == 1) {
            *shown = gif;
        }
    }
    const QRect row = visualItemRect(item);
    if (row.isEmpty()) {
        mark->hide();
        return;
    }
    const QSize size = mark->GetGifSize();
    // A hundred pixels in, or just after the group's name when that is longer.
    const int textEnd = row.left() + depthOf(item) * kIndent + 4 + 20 +
                        QFontMetrics(item->parent() == nullptr ? m_bold : m_normal)
                            .horizontalAdvance(item->text(0));
    const int x =
        std::min(std::max(row.left() + 100, textEnd + 6), viewport()->width() - size.width() - 2);
    mark->move(std::max(row.left() + 100, x), row.top() + (row.height() - size.height()) / 2);
    mark->show();
}

void CChannelTreeCtrl::placeMarks() {
    // A group that came after the marks were made gets its mark at the first painting.
    placeMark(m_popularMark, m_popular, m_popularGif == 0 ? 246 : 0, &m_popularGif);
    placeMark(m_latestMark, m_latest, m_latestGif == 0 ? 248 : 0, &m_latestGif);
}

void CChannelTreeCtrl::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // One column as wide as the list, so a row is a row wherever it is clicked.
    setColumnWidth(0, viewport()->width());
}

// Rows are painted across the whole width, markers left of the text included: a change of
// selection repaints the list, not only the item's text.
void CChannelTreeCtrl::selectionChanged(const QItemSelection& selected,
                                        const QItemSelection& deselected) {
    QTreeWidget::selectionChanged(selected, deselected);
    viewport()->update();
}

void CChannelTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeWidget::currentChanged(current, previous);
    viewport()->update();
}

void CChannelTreeCtrl::ClearPlayingItem() {
    setPlaying(nullptr);
}

void CChannelTreeCtrl::setPlaying(QTreeWidgetItem* item) {
    m_playing = item;
    viewport()->update();
}

void CChannelTreeCtrl::requestPlay(QTreeWidgetItem* item, bool keepPrevious) {
    m_context.nowPlaying.choose(item->text(0), itemChannel(item), keepPrevious);
    if (m_owner != nullptr) {
        QCoreApplication::postEvent(m_owner, new Messages::WindowMessage(Messages::kPlaySelected));
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

void CChannelTreeCtrl::clickItem(QTreeWidgetItem* item) {
    if (item == nullptr || item->childCount() == 0) {
        return;
    }
    item->setExpanded(!item->isExpanded());
    emit groupToggled();
    // The clicked special group shows its mark in the selected form.
    const bool popular = item == m_popular;
    const bool latest = item == m_latest;
    placeMark(m_popularMark, m_popular, popular ? 247 : 246, &m_popularGif);
    placeMark(m_latestMark, m_latest, latest ? 249 : 248, &m_latestGif);
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
    if (event->button() == Qt::LeftButton) {
        clickItem(itemAt(event->position().toPoint()));
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
    CMenuEx menu(this);
    menu.LoadMenu(CMenuEx::kChannelMenu);
    menu.ModifyItem(kMenuPlay, kPlayText);
    menu.ModifyItem(kMenuRefresh, kRefreshText);
    const ChannelInfo* channel = itemChannel(item);
    if (isFavourite && channel != nullptr) {
        menu.addSeparator();
        menu.ModifyItem(kMenuFavourite,
                        isFavourite(channel) ? kRemoveFavouriteText : kAddFavouriteText);
    }
    const int command = CMenuEx::commandOf(menu.exec(event->globalPos()));
    if (command == kMenuPlay) {
        playFromMenu(item);
    } else if (command == kMenuFavourite) {
        emit favouriteToggled(channel);
    }
}

void CChannelTreeCtrl::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void CChannelTreeCtrl::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* item = currentItem();
    switch (event->key()) {
        case Qt::Key_Left:
            if (item != nullptr && item->childCount() > 0 && item->isExpanded()) {
                clickItem(item);
            } else if (item != nullptr && item->parent() != nullptr) {
                setCurrentItem(item->parent());
            }
            event->accept();
            return;
        case Qt::Key_Right:
            if (item != nullptr && item->childCount() > 0) {
                if (!item->isExpanded()) {
                    clickItem(item);
                } else {
                    setCurrentItem(item->child(0));
                }
            }
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // As a double-click does; on a group it opens or closes it.
            if (item != nullptr && item->childCount() > 0) {
                clickItem(item);
            } else {
                playSelected();
            }
            event->accept();
            return;
        default:
            QTreeWidget::keyPressEvent(event);
    }
}

void CChannelTreeCtrl::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    QTreeWidgetItem* selected = currentItem();
    if (selected != nullptr && selected == m_popular) {
        placeMark(m_popularMark, m_popular, 247, &m_popularGif);
    } else if (selected != nullptr && selected == m_latest) {
        placeMark(m_latestMark, m_latest, 249, &m_latestGif);
    }
}

void CChannelTreeCtrl::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    QTreeWidgetItem* selected = currentItem();
    if (selected != nullptr && selected == m_popular) {
        placeMark(m_popularMark, m_popular, 246, &m_popularGif);
    } else if (selected != nullptr && selected == m_latest) {
        placeMark(m_latestMark, m_latest, 248, &m_latestGif);
    }
}
