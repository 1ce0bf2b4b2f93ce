#pragma once

#include <QPointer>
#include <QTreeWidget>

struct AppContext;
struct ChannelInfo;

// The channel list of the main window: group sets, groups and channels. A click on a group opens
// or closes it; a double-click on a channel, or the play entry of its menu, asks the main window
// to play it. The wheel does not scroll the list.
class CChannelTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 25;
    static constexpr int kMenuPlay = 32773;
    static constexpr int kMenuRefresh = 32777;
    inline static const QString kPlayText = QStringLiteral("放送(&P)");
    inline static const QString kRefreshText = QStringLiteral("チャンネルを更新する(&L) ");

    CChannelTreeCtrl(AppContext& context, QWidget* owner, QWidget* parent);

    // Appends an item under PARENT (top level when none) with bitmaps for its normal and
    // selected mark (0: none).
    QTreeWidgetItem* InsertChannelItem(QTreeWidgetItem* parent, const QString& text,
                                       int firstBitmap, int secondBitmap);
    // Ties ITEM to the channel it shows, so playing it never depends on its label.
    static void setItemChannel(QTreeWidgetItem* item, const ChannelInfo* channel);
    static const ChannelInfo* itemChannel(const QTreeWidgetItem* item);

    void SetExpandImages(int collapsed, int expanded, QRgb mask);
    void SetBackground(int bitmap);
    bool CreateGroupMarks();

    QTreeWidgetItem* hotItem() const { return m_hot; }
    QTreeWidgetItem* playingItem() const { return m_playing; }
    void ClearPlayingItem();
    QTreeWidgetItem* popularGroupItem() const { return m_popular; }
    QTreeWidgetItem* latestGroupItem() const { return m_latest; }
    void setPopularGroupItem(QTreeWidgetItem* item) { m_popular = item; }
    void setLatestGroupItem(QTreeWidgetItem* item) { m_latest = item; }

    // The play entry of the context menu for ITEM, as if chosen.
    void playFromMenu(QTreeWidgetItem* item);
    // A double-click on the selected item, as the user makes it.
    void playSelected();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setPlaying(QTreeWidgetItem* item);
    void requestPlay(QTreeWidgetItem* item, bool keepPrevious);

    AppContext& m_context;
    QWidget* m_owner;
    QTreeWidgetItem* m_hot = nullptr;
    QTreeWidgetItem* m_playing = nullptr;
    QTreeWidgetItem* m_popular = nullptr;
    QTreeWidgetItem* m_latest = nullptr;
};
