#include "catalogue/CChannelTreeCtrl.h"

#include "catalogue/CSkinScrollBar.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelRowDelegate.h"
#include "session/NowPlaying.h"
#include "widgets/CMenuEx.h"
#include "widgets/Messages.h"
#include "widgets/SharpImage.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

CChannelTreeCtrl::CChannelTreeCtrl(NowPlaying& nowPlaying, Clock& clock, QWidget* owner,
                                   QWidget* parent)
    : QTreeView(parent),
      m_nowPlaying(nowPlaying),
      m_clock(clock),
      m_owner(owner),
      m_rows(new ChannelRowDelegate(*this)) {
    m_rows->setParent(this);
    setModel(&m_model);
    setItemDelegate(m_rows);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    // Groups open and close by a click anywhere on their row, handled here alone.
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setMouseTracking(true);
    // Every row is 25 pixels high: the view lays out only what it shows.
    setUniformRowHeights(true);
    setIndentation(kIndent);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    viewport()->setAutoFillBackground(false);
    m_scrollBar = new CSkinScrollBar(this);
    setVerticalScrollBar(m_scrollBar);
}

CChannelTreeCtrl::~CChannelTreeCtrl() = default;

const ChannelNode* CChannelTreeCtrl::InsertChannelItem(const ChannelNode* parent,
                                                       const QString& text, int firstBitmap,
                                                       int secondBitmap) {
    return m_model.Append(parent, text, firstBitmap, secondBitmap);
}

void CChannelTreeCtrl::setItemChannel(const ChannelNode* item, const ChannelInfo* channel) {
    m_model.SetChannel(item, channel);
}

void CChannelTreeCtrl::FillChannelTree(const ChannelList& lists) {
    m_hot = nullptr;
    m_pressed = nullptr;
    m_model.setPlayingRow(nullptr);
    m_favourites = nullptr;
    m_recents = nullptr;
    showFiltered(false);
    m_filter.ShowAll();
    m_model.Fill(lists);
    // The model was reset, so the view lays its rows out once, at the next turn of the event
    // loop: opening every set and group until then only records that they are open.
    for (int s = 0; s < m_model.groupSetCount(); ++s) {
        const ChannelNode* set = m_model.groupSet(s);
        setItemExpanded(set, true);
        for (int g = 0; g < set->childCount(); ++g) {
            setItemExpanded(set->child(g), true);
        }
    }
    m_popularMark.setGroup(m_model.groupNamed(kPopularGroupName));
    m_latestMark.setGroup(m_model.groupNamed(kLatestGroupName));
    scrollToTop();
    m_shownSinceFill = false;
}

QString CChannelTreeCtrl::shownText(const ChannelNode* item) const {
    return item != nullptr ? m_rows->shownText(*item, viewport()->width()) : QString();
}

QString CChannelTreeCtrl::emptyNote() const {
    return filtered() && m_filter.rowCount() == 0 ? kNoMatchText : QString();
}

QModelIndex CChannelTreeCtrl::indexOfItem(const ChannelNode* item) const {
    return filtered() ? m_filter.indexOf(item) : m_model.indexOf(item);
}

const ChannelNode* CChannelTreeCtrl::itemOf(const QModelIndex& index) const {
    return filtered() ? m_filter.nodeOf(index) : ChannelTreeModel::nodeOf(index);
}

void CChannelTreeCtrl::showFiltered(bool filtered) {
    if (filtered == this->filtered()) {
        return;
    }
    // The view makes a selection model for each model it is given and leaves the old one to us.
    QItemSelectionModel* old = selectionModel();
    setModel(filtered ? static_cast<QAbstractItemModel*>(&m_filter) : &m_model);
    delete old;
}

void CChannelTreeCtrl::setCurrentItem(const ChannelNode* item) {
    setCurrentIndex(indexOfItem(item));
}

QRect CChannelTreeCtrl::visualItemRect(const ChannelNode* item) const {
    const QModelIndex index = indexOfItem(item);
    return index.isValid() ? visualRect(index) : QRect();
}

void CChannelTreeCtrl::scrollToItem(const ChannelNode* item) {
    const QModelIndex index = indexOfItem(item);
    if (index.isValid()) {
        scrollTo(index);
    }
}

bool CChannelTreeCtrl::isItemExpanded(const ChannelNode* item) const {
    const QModelIndex index = indexOfItem(item);
    return index.isValid() && isExpanded(index);
}

void CChannelTreeCtrl::setItemExpanded(const ChannelNode* item, bool expanded) {
    const QModelIndex index = indexOfItem(item);
    if (index.isValid()) {
        setExpanded(index, expanded);
    }
}

void CChannelTreeCtrl::layOutNow() {
    executeDelayedItemsLayout();
}

void CChannelTreeCtrl::replaceCollection(const ChannelNode*& group, const QString& name, int index,
                                         const std::vector<const ChannelInfo*>& channels) {
    const ChannelNode* old = group;
    const auto inOld = [old](const ChannelNode* item) {
        return old != nullptr && item != nullptr && (item == old || item->parent() == old);
    };
    // The playing mark and the chosen item stay on their channels: in the new group when it
    // shows them, otherwise in the list itself.
    const bool movePlaying = inOld(m_model.playingRow());
    const ChannelInfo* playing = movePlaying ? itemChannel(m_model.playingRow()) : nullptr;
    const bool moveCurrent = inOld(currentItem());
    const ChannelInfo* current = moveCurrent ? itemChannel(currentItem()) : nullptr;
    if (inOld(m_hot)) {
        m_hot = nullptr;
    }
    const bool expanded = old == nullptr || isItemExpanded(old);
    group = m_model.ReplaceGroup(old, name, index, channels);
    setItemExpanded(group, expanded);
    const auto find = [this, group](const ChannelInfo* channel) -> const ChannelNode* {
        for (int c = 0; group != nullptr && c < group->childCount(); ++c) {
            if (itemChannel(group->child(c)) == channel) {
                return group->child(c);
            }
        }
        return itemForChannel(channel);
    };
    if (movePlaying) {
        m_model.setPlayingRow(playing != nullptr ? find(playing) : nullptr);
    }
    if (moveCurrent) {
        const ChannelNode* moved = current != nullptr ? find(current) : nullptr;
        setCurrentItem(moved != nullptr ? moved : topLevelItem(0));
    }
}

void CChannelTreeCtrl::SetCollections(const std::vector<const ChannelInfo*>& favourites,
                                      const std::vector<const ChannelInfo*>& recents) {
    replaceCollection(m_favourites, kFavouritesGroupName, 0, favourites);
    replaceCollection(m_recents, kRecentGroupName, m_favourites != nullptr ? 1 : 0, recents);
    viewport()->update();
    emit collectionsChanged();
}

bool CChannelTreeCtrl::isCollectionItem(const ChannelNode* item) const {
    return ChannelTreeModel::inCollection(item);
}

QList<const ChannelNode*> CChannelTreeCtrl::channelItems() const {
    return m_model.channelRows();
}

const ChannelNode* CChannelTreeCtrl::itemForChannel(const ChannelInfo* channel) const {
    return m_model.rowOf(channel);
}

void CChannelTreeCtrl::playItem(const ChannelNode* item) {
    if (item != nullptr && item->childCount() == 0 && itemChannel(item) != nullptr) {
        setCurrentItem(item);
        revealItem(item);
        requestPlay(item, false);
    }
}

void CChannelTreeCtrl::revealItem(const ChannelNode* item) {
    const QModelIndex index = indexOfItem(item);
    if (!index.isValid()) {
        return;
    }
    // A channel zapped to in a closed group shows its group opened, as a click would open it.
    bool opened = false;
    for (const ChannelNode* up = item->parent(); up != nullptr; up = up->parent()) {
        if (!isItemExpanded(up)) {
            setItemExpanded(up, true);
            opened = true;
        }
    }
    if (opened) {
        emit groupToggled();
    }
    scrollTo(index, EnsureVisible);
    // The list scrolls a row at a time, and its last row may show only in part: one row further,
    // so that the row is seen whole.
    QScrollBar* bar = verticalScrollBar();
    while (visualRect(index).bottom() >= viewport()->height() && bar->value() < bar->maximum() &&
           visualRect(index).top() > 0) {
        bar->setValue(bar->value() + 1);
    }
}

void CChannelTreeCtrl::SetExpandImages(int collapsed, int expanded, QRgb mask) {
    m_rows->SetExpandImages(collapsed, expanded, mask);
}

void CChannelTreeCtrl::SetBackground(int bitmap) {
    m_background = SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(bitmap));
    viewport()->update();
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
    QTreeView::paintEvent(event);
    const QString note = emptyNote();
    if (!note.isEmpty()) {
        QPainter p(viewport());
        QFont font;
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(kTextColour);
        p.drawText(viewport()->rect().adjusted(4, 8, -4, 0),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, note);
    }
    placeMarks();
    if (!m_shownSinceFill) {
        m_shownSinceFill = true;
        emit filledListShown();
    }
}

void CChannelTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    // A row is painted across the whole list, its chosen look only while the list has the focus.
    QStyleOptionViewItem row(option);
    row.rect =
        QRect(option.rect.left(), option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected = selectionModel() != nullptr && selectionModel()->isSelected(index);
    row.state.setFlag(QStyle::State_Selected, selected && hasFocus());
    m_rows->paint(painter, row, index);
}

QFont CChannelTreeCtrl::fontOf(const ChannelNode* item) const {
    return m_rows->fontOf(*item);
}

bool CChannelTreeCtrl::CreateGroupMarks() {
    m_popularMark.create(m_clock, *this);
    m_latestMark.create(m_clock, *this);
    return m_popularMark.widget() != nullptr && m_latestMark.widget() != nullptr;
}

void CChannelTreeCtrl::placeMarks() {
    // A group that came after the marks were made gets its mark at the first painting.
    m_popularMark.place(*this, m_popularMark.shownGif() == 0 ? m_popularMark.idleGif : 0);
    m_latestMark.place(*this, m_latestMark.shownGif() == 0 ? m_latestMark.idleGif : 0);
}

void CChannelTreeCtrl::showMarksChosen(const ChannelNode* chosen) {
    for (GroupMark* mark : {&m_popularMark, &m_latestMark}) {
        mark->place(*this, chosen == mark->group() ? mark->chosenGif : mark->idleGif);
    }
}

void CChannelTreeCtrl::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // One column as wide as the list, so a row is a row wherever it is clicked.
    setColumnWidth(0, viewport()->width());
}

// Rows are painted across the whole width, markers left of the text included: a change of
// selection repaints the list, not only the item's text.
void CChannelTreeCtrl::selectionChanged(const QItemSelection& selected,
                                        const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    viewport()->update();
}

void CChannelTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    viewport()->update();
}

void CChannelTreeCtrl::ClearPlayingItem() {
    setPlaying(nullptr);
}

void CChannelTreeCtrl::setPlaying(const ChannelNode* item) {
    m_model.setPlayingRow(item);
    viewport()->update();
}

void CChannelTreeCtrl::requestPlay(const ChannelNode* item, bool keepPrevious) {
    m_nowPlaying.choose(item->text(0), itemChannel(item), keepPrevious);
    if (m_owner != nullptr) {
        QCoreApplication::postEvent(m_owner, new Messages::WindowMessage(Messages::kPlaySelected));
    }
    setPlaying(item);
}

void CChannelTreeCtrl::playSelected() {
    const ChannelNode* item = currentItem();
    if (item != nullptr && item->childCount() == 0) {
        requestPlay(item, false);
    }
}

void CChannelTreeCtrl::playFromMenu(const ChannelNode* item) {
    if (item != nullptr && item->childCount() == 0) {
        requestPlay(item, true);
    }
}

void CChannelTreeCtrl::clickItem(const ChannelNode* item) {
    if (item == nullptr || item->childCount() == 0) {
        return;
    }
    setItemExpanded(item, !isItemExpanded(item));
    emit groupToggled();
    // The clicked special group shows its mark in the selected form.
    showMarksChosen(item);
}

void CChannelTreeCtrl::mouseMoveEvent(QMouseEvent* event) {
    const ChannelNode* item = itemAt(event->position().toPoint());
    if (item != nullptr && item != m_hot) {
        m_hot = item;
        viewport()->update();
    }
    setCursor(Qt::ArrowCursor);
    QTreeView::mouseMoveEvent(event);
}

void CChannelTreeCtrl::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
    QTreeView::mousePressEvent(event);
}

void CChannelTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // A click is on the row it was pressed on. A channel played by the press of a double-click
    // puts the recent group above it before the button comes up, and the row then under the
    // pointer is another.
    const ChannelNode* released = itemAt(event->position().toPoint());
    if (released != nullptr && released == m_pressed) {
        clickItem(released);
    }
    m_pressed = nullptr;
}

void CChannelTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
    playSelected();
    QTreeView::mouseDoubleClickEvent(event);
}

void CChannelTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
    const ChannelNode* item = itemAt(event->pos());
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
    const ChannelNode* item = currentItem();
    switch (event->key()) {
        case Qt::Key_Left:
            if (item != nullptr && item->childCount() > 0 && isItemExpanded(item)) {
                clickItem(item);
            } else if (item != nullptr && item->parent() != nullptr) {
                setCurrentItem(item->parent());
            }
            event->accept();
            return;
        case Qt::Key_Right:
            if (item != nullptr && item->childCount() > 0) {
                if (!isItemExpanded(item)) {
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
            QTreeView::keyPressEvent(event);
    }
}

void CChannelTreeCtrl::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    const ChannelNode* selected = currentItem();
    if (selected != nullptr &&
        (selected == m_popularMark.group() || selected == m_latestMark.group())) {
        showMarksChosen(selected);
    }
}

void CChannelTreeCtrl::focusOutEvent(QFocusEvent* event) {
    QTreeView::focusOutEvent(event);
    const ChannelNode* selected = currentItem();
    if (selected != nullptr &&
        (selected == m_popularMark.group() || selected == m_latestMark.group())) {
        showMarksChosen(nullptr);
    }
}
