#include "catalogue/ChannelRowDelegate.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "widgets/SharpImage.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

using SharpImage::keyed;

// Where IMAGE lies centred in ROW.
int centredTop(const QRect& row, const QPixmap& image) {
    return row.top() + (row.height() - SharpImage::sizeOf(image).height()) / 2;
}

}  // namespace

ChannelRowDelegate::ChannelRowDelegate(const CChannelTreeCtrl& tree)
    : QStyledItemDelegate(nullptr),
      m_tree(tree),
      // Group rows have black as their transparent colour.
      m_group(keyed(QStringLiteral(":/bitmap/227"), Qt::black)),
      m_groupSelected(keyed(QStringLiteral(":/bitmap/226"), Qt::black)),
      m_arrow(SharpImage::pixmap(QStringLiteral(":/bitmap/134"))),
      m_bars(SharpImage::pixmap(QStringLiteral(":/bitmap/238"))) {
    m_bold.setPixelSize(14);
    m_bold.setBold(true);
    m_normal.setPixelSize(14);
}

void ChannelRowDelegate::SetExpandImages(int collapsed, int expanded, QRgb mask) {
    const QPixmap closedImage = keyed(QStringLiteral(":/bitmap/%1").arg(collapsed), QColor(mask));
    const QPixmap openImage = keyed(QStringLiteral(":/bitmap/%1").arg(expanded), QColor(mask));
    if (!closedImage.isNull() && closedImage.size() == openImage.size()) {
        m_collapsed = closedImage;
        m_expanded = openImage;
    }
}

const QFont& ChannelRowDelegate::fontOf(const ChannelNode& row) const {
    return row.parent() == nullptr ? m_bold : m_normal;
}

int ChannelRowDelegate::textLeft(const ChannelNode& row) {
    return row.depth() * CChannelTreeCtrl::kIndent + 4;
}

const QPixmap& ChannelRowDelegate::pixmap(int id) const {
    auto found = m_pixmaps.find(id);
    if (found == m_pixmaps.end()) {
        // The channels' marks are drawn with white as their transparent colour.
        found = m_pixmaps.insert(id, keyed(QStringLiteral(":/bitmap/%1").arg(id), Qt::white));
    }
    return found.value();
}

QString ChannelRowDelegate::fitted(const QString& text, const QFont& font, int width) {
    // A few pixels short of the list's edge, so that no character is cut there.
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, width - kEdgeGap);
}

int ChannelRowDelegate::textStart(const ChannelNode& row) const {
    const int left = textLeft(row);
    if (row.childCount() > 0 || row.parent() == nullptr) {
        return left + 20;
    }
    if (&row == m_tree.playingItem()) {
        return left + 14;
    }
    return left + 5 + (row.firstBitmap() != 0 ? pixmap(row.firstBitmap()).width() : 0);
}

QString ChannelRowDelegate::shownText(const ChannelNode& row, int rowWidth) const {
    const QFont& font = &row == m_tree.playingItem() ? m_normal : fontOf(row);
    return fitted(row.text(), font, rowWidth - textStart(row));
}

bool ChannelRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    const auto* row = static_cast<const ChannelNode*>(
        index.data(ChannelTreeModel::kNodeRole).value<const void*>());
    if (event == nullptr || event->type() != QEvent::ToolTip || row == nullptr) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    // A row cut short at the list's edge tells its whole name.
    if (shownText(*row, view->viewport()->width()) != row->text()) {
        QToolTip::showText(
            event->globalPos(),
            row->channel() != nullptr ? row->channel()->name().toString() : row->text(), view);
    } else {
        QToolTip::hideText();
    }
    return true;
}

QSize ChannelRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& /*index*/) const {
    return {option.rect.width(), CChannelTreeCtrl::kRowHeight};
}

void ChannelRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto* item = static_cast<const ChannelNode*>(
        index.data(ChannelTreeModel::kNodeRole).value<const void*>());
    if (item == nullptr) {
        return;
    }
    const QRect row = option.rect;
    const int contentLeft = row.left();
    const int contentWidth = row.width();
    const int textLeft = contentLeft + ChannelRowDelegate::textLeft(*item);
    const bool root = item->parent() == nullptr;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const bool group = item->childCount() > 0 || root;
    const QString text = item->text();
    painter->save();

    if (group) {
        painter->drawPixmap(contentLeft, row.top(), selected ? m_groupSelected : m_group);
        const QPixmap& mark = m_tree.isItemExpanded(item) ? m_expanded : m_collapsed;
        if (!mark.isNull()) {
            painter->drawPixmap(textLeft + 4, centredTop(row, mark), mark);
        }
        painter->setFont(fontOf(*item));
        painter->setPen(CChannelTreeCtrl::kTextColour);
        const int x = textLeft + 20;
        painter->drawText(QRect(x, row.top(), contentWidth, row.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          fitted(text, fontOf(*item), contentLeft + contentWidth - x));
        painter->restore();
        return;
    }

    const int first = item->firstBitmap();
    const int second = item->secondBitmap();
    const int markWidth = first != 0 ? SharpImage::sizeOf(pixmap(first)).width() : 0;
    const QFontMetrics metrics(fontOf(*item));
    const int textX = textLeft + 5 + markWidth;
    const int textTop = row.top() + (row.height() - metrics.height() - 2) / 2 + 1;
    const int textHeight = row.bottom() - 1 - textTop;
    const auto drawText = [&](int x, const QColor& colour, const QFont& font) {
        painter->setFont(font);
        painter->setPen(colour);
        painter->drawText(QRect(x, textTop, contentWidth - x, textHeight),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          fitted(text, font, contentLeft + contentWidth - x));
    };
    const QColor textColour =
        selected ? CChannelTreeCtrl::kSelectedText : CChannelTreeCtrl::kTextColour;
    drawText(textX, textColour, fontOf(*item));

    if (selected || item == m_tree.hotItem()) {
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath box;
        box.addRoundedRect(
            QRectF(contentLeft + 1.5, row.top() + 0.5, contentWidth - 3, row.height() - 2), 2.5,
            2.5);
        painter->fillPath(box, CChannelTreeCtrl::kHighlightFill);
        painter->setPen(QPen(CChannelTreeCtrl::kHighlightFrame, 1));
        painter->drawPath(box);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }
    if (item == m_tree.playingItem()) {
        painter->drawPixmap(textLeft - 11, centredTop(row, m_arrow), m_arrow);
        painter->drawPixmap(textLeft, centredTop(row, m_bars), m_bars);
        drawText(textLeft + 14, CChannelTreeCtrl::kPlayingText, m_normal);
    } else {
        const int markId = selected ? second : first;
        if (markId != 0) {
            const QPixmap& mark = pixmap(markId);
            painter->drawPixmap(textLeft, centredTop(row, mark), mark);
        }
        drawText(textX, textColour, fontOf(*item));
    }
    painter->restore();
}
