#include "widgets/CMenuEx.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

struct MenuItem {
    int id;  // 0 for a separator
    const char16_t* text;
};

// The program's menus, by number.
const std::vector<MenuItem>* menuTable(int number) {
    static const std::vector<MenuItem> channelMenu = {
        {32773, u"放送(&P)"},
        {32777, u"チャンネルリストを更新(&L)"},
    };
    return number == CMenuEx::kChannelMenu ? &channelMenu : nullptr;
}

const char* const kCommandProperty = "veloCommand";

}  // namespace

CMenuEx::CMenuEx(QWidget* parent) : QMenu(parent) {
    auto* style = new CMenuExStyle;
    style->setParent(this);
    setStyle(style);
}

bool CMenuEx::LoadMenu(int number) {
    const std::vector<MenuItem>* items = menuTable(number);
    if (items == nullptr) {
        return false;
    }
    for (const MenuItem& item : *items) {
        if (item.id == 0) {
            addSeparator();
        } else {
            QAction* action = addAction(QString::fromUtf16(item.text));
            action->setProperty(kCommandProperty, item.id);
        }
    }
    return true;
}

int CMenuEx::commandOf(const QAction* action) {
    return action != nullptr ? action->property(kCommandProperty).toInt() : 0;
}

QAction* CMenuEx::itemById(int id) const {
    for (QAction* action : actions()) {
        if (commandOf(action) == id) {
            return action;
        }
    }
    return nullptr;
}

QAction* CMenuEx::ModifyItem(int id, const QString& text, int newId) {
    QAction* action = itemById(id);
    if (action == nullptr) {
        action = addAction(text);
        action->setProperty(kCommandProperty, newId != 0 ? newId : id);
        return action;
    }
    action->setText(text);
    if (newId != 0) {
        action->setProperty(kCommandProperty, newId);
    }
    return action;
}

CMenuExStyle::CMenuExStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int CMenuExStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const {
    switch (metric) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize CMenuExStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                     const QSize& size, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || item == nullptr) {
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        return QSize(CMenuEx::kIconWidth, CMenuEx::kSeparatorHeight);
    }
    QString text = item->text;
    text.remove(QLatin1Char('&'));
    // The text is drawn 10 pixels right of the icon column and needs a little room after it:
    // measured as text and icon column alone, the widest item (the bold default one above all)
    // would lose its last characters, since no margin is added around owner-measured items here.
    int width = item->fontMetrics.horizontalAdvance(text.section(QLatin1Char('\t'), 0, 0)) +
                CMenuEx::kIconWidth + CMenuEx::kTextRoom;
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        width += CMenuEx::kSubmenuExtra;
    }
    return QSize(width, CMenuEx::kIconHeight + 4);
}

void CMenuExStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelMenu || element == PE_FrameMenu) {
        painter->fillRect(option->rect, CMenuEx::kBackground);
        painter->setPen(CMenuEx::kEtchDark);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void CMenuExStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || item == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect rect = item->rect;
    const bool selected = (item->state & State_Selected) != 0;
    const bool grayed = (item->state & State_Enabled) == 0;
    painter->save();
    painter->fillRect(rect, CMenuEx::kBackground);
    painter->fillRect(QRect(rect.left(), rect.top(), CMenuEx::kIconWidth + 5, rect.height()),
                      CMenuEx::kStrip);
    const QRect textRect(rect.left() + CMenuEx::kIconWidth + 10, rect.top() + 3,
                         rect.width() - CMenuEx::kIconWidth - 10, rect.height() - 3);

    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = textRect.top() + textRect.height() / 2 - 1;
        painter->fillRect(QRect(textRect.left(), y, textRect.width() - 2, 1), CMenuEx::kEtchDark);
        painter->fillRect(QRect(textRect.left(), y + 1, textRect.width() - 2, 1), Qt::white);
        painter->restore();
        return;
    }
    if (selected) {
        painter->setPen(CMenuEx::kSelectedFrame);
        painter->setBrush(CMenuEx::kSelectedFill);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    const QColor normalText = item->palette.color(QPalette::Active, QPalette::WindowText);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextExpandTabs;
    const QString text = item->text.section(QLatin1Char('\t'), 0, 0);
    if (grayed) {
        // Embossed: a light copy one pixel down and right under the grey text.
        painter->setPen(Qt::white);
        painter->drawText(textRect.translated(1, 1), flags, text);
        painter->setPen(item->palette.color(QPalette::Disabled, QPalette::WindowText));
        painter->drawText(textRect, flags, text);
    } else {
        painter->setPen(selected ? CMenuEx::kSelectedText : normalText);
        painter->drawText(textRect, flags, text);
    }
    if (item->checked) {
        const QRect box(rect.left(), rect.top(), CMenuEx::kIconWidth + 4, CMenuEx::kIconHeight + 4);
        const QString mark = QStringLiteral("√");
        if (grayed) {
            painter->setPen(CMenuEx::kCheckGrayed);
            painter->drawText(box.translated(1, 1), Qt::AlignCenter, mark);
            painter->drawText(box, Qt::AlignCenter, mark);
        } else {
            painter->setPen(normalText);
            painter->drawText(box.adjusted(2, 2, -2, -2), Qt::AlignCenter, mark);
        }
    }
    painter->restore();
}
