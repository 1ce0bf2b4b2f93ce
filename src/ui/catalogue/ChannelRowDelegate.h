#pragma once

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

class CChannelTreeCtrl;
class ChannelNode;

// Paints the rows of the channel tree across its whole width: group sets and groups on their
// bar with the open or closed mark, channels with their mark, blue when chosen, on a rounded
// highlight when chosen or under the pointer, and in green with the playing marks while they
// play. Rows are 25 pixels high whatever the font.
class ChannelRowDelegate : public QStyledItemDelegate {
public:
    explicit ChannelRowDelegate(const CChannelTreeCtrl& tree);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The open and closed marks of groups, from bitmaps whose pixels of colour MASK are
    // transparent; both or neither, as the two must be alike.
    void SetExpandImages(int collapsed, int expanded, QRgb mask);
    // The font of ROW: bold for group sets.
    const QFont& fontOf(const ChannelNode& row) const;
    // Where the text of ROW begins, from the left of the row.
    static int textLeft(const ChannelNode& row);
    // The text ROW shows in a list ROW_WIDTH wide: cut with an ellipsis where it would not fit.
    QString shownText(const ChannelNode& row, int rowWidth) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    static constexpr int kEdgeGap = 2;

    static QString fitted(const QString& text, const QFont& font, int width);
    // Where the text of ROW is drawn, from the left of the row.
    int textStart(const ChannelNode& row) const;
    const QPixmap& pixmap(int id) const;

    const CChannelTreeCtrl& m_tree;
    QPixmap m_group;
    QPixmap m_groupSelected;
    QPixmap m_collapsed;
    QPixmap m_expanded;
    QPixmap m_arrow;
    QPixmap m_bars;
    QFont m_bold;
    QFont m_normal;
    mutable QHash<int, QPixmap> m_pixmaps;  // the channels' marks, by bitmap number
};
