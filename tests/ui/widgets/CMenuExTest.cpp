#include "widgets/CMenuEx.h"

#include <QStyleOptionMenuItem>

#include <gtest/gtest.h>

TEST(CMenuEx, MeasuresItemsAndSeparatorsByItsRules) {
    CMenuExStyle style;
    QStyleOptionMenuItem option;
    option.fontMetrics = QFontMetrics(QFont());
    option.menuItemType = QStyleOptionMenuItem::Separator;
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, nullptr).height(), 10);

    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = QStringLiteral("放送(&P)");
    const int textWidth = option.fontMetrics.horizontalAdvance(QStringLiteral("放送(P)"));
    const QSize item = style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, nullptr);
    // The icon column, the text and the room the text is drawn with beside it.
    EXPECT_EQ(item, QSize(textWidth + 16 + 16, 19));

    option.menuItemType = QStyleOptionMenuItem::SubMenu;
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, nullptr).width(),
              textWidth + 16 + 16 + 15);
}

TEST(CMenuEx, ModifyItemReusesTheItem) {
    CMenuEx menu;
    ASSERT_TRUE(menu.LoadMenu(CMenuEx::kChannelMenu));
    ASSERT_EQ(menu.actions().size(), 2);
    QAction* play = menu.itemById(32773);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(menu.ModifyItem(32773, QStringLiteral("放送(&P)")), play);
    EXPECT_EQ(play->text(), QStringLiteral("放送(&P)"));
    EXPECT_EQ(menu.actions().size(), 2);
    QAction* added = menu.ModifyItem(40000, QStringLiteral("新しい項目"));
    EXPECT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(CMenuEx::commandOf(added), 40000);
    EXPECT_FALSE(menu.LoadMenu(1));
}

TEST(CMenuEx, SelectedItemIsFramedAndFilled) {
    CMenuEx menu;
    menu.LoadMenu(CMenuEx::kChannelMenu);
    menu.setActiveAction(menu.actions().front());
    const QImage shot = menu.grab().toImage();
    const QRect first = menu.actionGeometry(menu.actions().front());
    const QRect second = menu.actionGeometry(menu.actions().back());
    // Inside the selected item, right of its text; the other keeps the plain background.
    EXPECT_EQ(QColor(shot.pixel(first.right() - 2, first.center().y())), CMenuEx::kSelectedFill);
    EXPECT_EQ(QColor(shot.pixel(first.left(), first.top())), CMenuEx::kSelectedFrame);
    EXPECT_EQ(QColor(shot.pixel(second.right() - 2, second.center().y())), CMenuEx::kBackground);
    EXPECT_EQ(QColor(shot.pixel(second.left() + 3, second.center().y())), CMenuEx::kStrip);
}
