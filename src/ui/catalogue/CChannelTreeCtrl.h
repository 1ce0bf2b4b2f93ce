#pragma once

#include "catalogue/ChannelFilterModel.h"
#include "catalogue/ChannelTreeModel.h"
#include "catalogue/GroupMark.h"

#include <QTreeView>

#include <functional>
#include <vector>

class Clock;
class NowPlaying;
class ChannelInfo;
struct ChannelList;
class CGifDlg;
class CSkinScrollBar;
class ChannelRowDelegate;

// The channel list of the main window: group sets, groups and channels, painted entirely by the
// program. A click on a group opens or closes it; a double-click on a channel, or the play entry
// of its menu, asks the main window to play it. The playing channel is marked in green, the row
// under the pointer is highlighted, and the popular and latest groups carry animated marks.
// The wheel does not scroll the list. From the keyboard: Up and Down move, Left and Right close
// and open groups (or step to the parent and the first child), Enter plays the chosen channel.
//
// The rows are a ChannelTreeModel, seen through the search's ChannelFilterModel while a search
// runs, painted by a ChannelRowDelegate; the members below name rows by their ChannelNode, as the
// list holds them, whatever the search hides.
class CChannelTreeCtrl : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 25;
    static constexpr int kIndent = 14;
    static constexpr int kMenuPlay = 32773;
    static constexpr int kMenuRefresh = 32777;
    static constexpr int kMenuFavourite = 32790;
    inline static const QString kAddFavouriteText = QStringLiteral("お気に入りに追加");
    inline static const QString kRemoveFavouriteText = QStringLiteral("お気に入りから削除");
    inline static const QString kFavouritesGroupName = QStringLiteral("お気に入り");
    inline static const QString kRecentGroupName = QStringLiteral("最近見たチャンネル");
    inline static const QString kNoMatchText = QStringLiteral("該当するチャンネルがありません");
    inline static const QString kPlayText = QStringLiteral("放送(&P)");
    inline static const QString kRefreshText = QStringLiteral("チャンネルを更新する(&L) ");
    inline static const QColor kTextColour{255, 255, 255};
    inline static const QColor kSelectedText{5, 153, 201};
    inline static const QColor kHighlightFill{4, 14, 24};
    inline static const QColor kHighlightFrame{30, 51, 68};
    inline static const QColor kPlayingText{104, 176, 48};
    // The groups that carry animated marks.
    inline static const QString kPopularGroupName = QStringLiteral("人気チャンネル");
    inline static const QString kLatestGroupName = QStringLiteral("最新更新");

    // A chosen channel goes to NOW_PLAYING, and OWNER is told to play it; the animated marks run
    // on CLOCK.
    CChannelTreeCtrl(NowPlaying& nowPlaying, Clock& clock, QWidget* owner, QWidget* parent);
    ~CChannelTreeCtrl() override;

    // Appends an item under PARENT (top level when none) with bitmaps for its normal and
    // selected mark (0: none).
    const ChannelNode* InsertChannelItem(const ChannelNode* parent, const QString& text,
                                         int firstBitmap, int secondBitmap);
    // Fills the list with the group sets, groups and channels of LISTS, in their order: sets and
    // groups open, channels labelled as the list shows them, the popular and latest groups
    // found. The records must outlive the items; anything shown before is removed first.
    void FillChannelTree(const ChannelList& lists);
    // Ties ITEM to the channel it shows, so playing it never depends on its label.
    void setItemChannel(const ChannelNode* item, const ChannelInfo* channel);
    static const ChannelInfo* itemChannel(const ChannelNode* item) {
        return item != nullptr ? item->channel() : nullptr;
    }

    // The rows as the list holds them, and as the view shows them.
    ChannelTreeModel& channelModel() { return m_model; }
    ChannelFilterModel& filterModel() { return m_filter; }
    int topLevelItemCount() const { return m_model.groupSetCount(); }
    const ChannelNode* topLevelItem(int row) const { return m_model.groupSet(row); }
    QModelIndex indexOfItem(const ChannelNode* item) const;
    const ChannelNode* itemOf(const QModelIndex& index) const;
    // Shows the rows through the search's filter, or the list's own rows. Without a search the
    // view reads the list directly, which lays a long list out in half the time; a change of
    // side starts the view afresh, so the search's caller keeps what it must restore.
    void showFiltered(bool filtered);
    bool filtered() const { return model() == &m_filter; }
    // What the list says in place of rows: that a search found nothing, or nothing.
    QString emptyNote() const;
    // The text ITEM shows: its label, cut with an ellipsis where the list is too narrow for it
    // (its tip then tells the whole name).
    QString shownText(const ChannelNode* item) const;
    const ChannelNode* currentItem() const { return itemOf(currentIndex()); }
    void setCurrentItem(const ChannelNode* item);
    const ChannelNode* itemAt(const QPoint& point) const { return itemOf(indexAt(point)); }
    QRect visualItemRect(const ChannelNode* item) const;
    void scrollToItem(const ChannelNode* item);
    bool isItemExpanded(const ChannelNode* item) const;
    void setItemExpanded(const ChannelNode* item, bool expanded);
    // Whether the search hides ITEM.
    bool isItemHidden(const ChannelNode* item) const { return !indexOfItem(item).isValid(); }
    // Lays the rows out now rather than at the next turn of the event loop, so the scroll range
    // is known at once.
    void layOutNow();

    void SetExpandImages(int collapsed, int expanded, QRgb mask);
    void SetBackground(int bitmap);
    // The animated marks beside the popular and latest groups.
    bool CreateGroupMarks();

    const ChannelNode* hotItem() const { return m_hot; }
    const ChannelNode* playingItem() const { return m_model.playingRow(); }
    void ClearPlayingItem();
    // The font ITEM is drawn in.
    QFont fontOf(const ChannelNode* item) const;
    const ChannelNode* popularGroupItem() const { return m_popularMark.group(); }
    const ChannelNode* latestGroupItem() const { return m_latestMark.group(); }
    void setPopularGroupItem(const ChannelNode* item) { m_popularMark.setGroup(item); }
    void setLatestGroupItem(const ChannelNode* item) { m_latestMark.setGroup(item); }
    CGifDlg* popularMark() const { return m_popularMark.widget(); }
    CGifDlg* latestMark() const { return m_latestMark.widget(); }
    int popularMarkGif() const { return m_popularMark.shownGif(); }
    int latestMarkGif() const { return m_latestMark.shownGif(); }
    CSkinScrollBar* skinScrollBar() const { return m_scrollBar; }

    // The user's favourites and recently watched channels as groups at the top of the list, above
    // every group set, played like the others; a collection with no channel shows no group.
    // The playing mark, the chosen item and the item under the pointer stay on their channels.
    void SetCollections(const std::vector<const ChannelInfo*>& favourites,
                        const std::vector<const ChannelInfo*>& recents);
    const ChannelNode* favouritesGroupItem() const { return m_favourites; }
    const ChannelNode* recentGroupItem() const { return m_recents; }
    // The favourites and recent groups and their channels.
    bool isCollectionItem(const ChannelNode* item) const;
    // The channel items of the list itself, in the tree's order.
    QList<const ChannelNode*> channelItems() const;
    // The item of the list itself that shows CHANNEL, or none.
    const ChannelNode* itemForChannel(const ChannelInfo* channel) const;
    // Plays ITEM as a double-click on it does, scrolled wholly into view.
    void playItem(const ChannelNode* item);
    // Scrolls the list so that ITEM is seen whole, its closed groups opened.
    void revealItem(const ChannelNode* item);
    // Asked for a channel's menu entry; without it the menu offers no favourites.
    std::function<bool(const ChannelInfo*)> isFavourite;

    // The play entry of the context menu for ITEM, as if chosen.
    void playFromMenu(const ChannelNode* item);
    // A double-click on the selected item, as the user makes it.
    void playSelected();
    // A click on ITEM, as the user makes it: groups open or close and the marks follow.
    void clickItem(const ChannelNode* item);

signals:
    // The favourites entry of a channel's menu was chosen.
    void favouriteToggled(const ChannelInfo* channel);
    // A group set or group was opened or closed by the user.
    void groupToggled();
    // The favourites and recent groups were rebuilt.
    void collectionsChanged();
    // A newly filled list was painted for the first time.
    void filledListShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void setPlaying(const ChannelNode* item);
    void requestPlay(const ChannelNode* item, bool keepPrevious);
    void placeMarks();
    // The marks in their chosen form on CHOSEN's group, in their idle one elsewhere.
    void showMarksChosen(const ChannelNode* chosen);
    void replaceCollection(const ChannelNode*& group, const QString& name, int index,
                           const std::vector<const ChannelInfo*>& channels);

    NowPlaying& m_nowPlaying;
    Clock& m_clock;
    bool m_shownSinceFill = true;  // the filled list has been painted (a timing line says when)
    QWidget* m_owner;
    const ChannelNode* m_hot = nullptr;
    const ChannelNode* m_pressed = nullptr;  // compared, never followed: it may have gone
    const ChannelNode* m_favourites = nullptr;
    const ChannelNode* m_recents = nullptr;
    ChannelTreeModel m_model;
    ChannelFilterModel m_filter{m_model};
    ChannelRowDelegate* m_rows;
    QPixmap m_background;
    GroupMark m_popularMark{246, 247};
    GroupMark m_latestMark{248, 249};
    CSkinScrollBar* m_scrollBar = nullptr;
};
