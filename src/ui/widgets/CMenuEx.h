#pragma once

#include <QColor>
#include <QMenu>
#include <QProxyStyle>

// A pop-up menu drawn in the program's colours: a pale blue background, a lavender strip on the
// left, a bordered highlight under the selected item, a "√" for checked items and etched
// separators. Built from one of the program's menus by its number.
class CMenuEx : public QMenu {
    Q_OBJECT

public:
    static constexpr int kSeparatorHeight = 10;
    static constexpr int kIconWidth = 16;
    static constexpr int kIconHeight = 15;
    static constexpr int kSubmenuExtra = 15;
    // Room beside the text: its 10-pixel lead after the icon column and 6 pixels after it.
    static constexpr int kTextRoom = 16;
    inline static const QColor kBackground{239, 243, 255};
    inline static const QColor kStrip{236, 233, 245};
    inline static const QColor kSelectedText{0, 0, 0};
    inline static const QColor kSelectedFill{193, 210, 238};
    inline static const QColor kSelectedFrame{0, 175, 202};
    inline static const QColor kEtchDark{209, 207, 213};
    inline static const QColor kCheckGrayed{60, 150, 204};

    // The tree's context menu.
    static constexpr int kChannelMenu = 169;

    explicit CMenuEx(QWidget* parent = nullptr);

    // Fills the menu with the items of menu NUMBER; false when there is no such menu.
    bool LoadMenu(int number);
    // Sets the text of the item with command ID (and its id, when NEWID is not 0); adds the
    // item when there is none.
    QAction* ModifyItem(int id, const QString& text, int newId = 0);
    QAction* itemById(int id) const;
    static int commandOf(const QAction* action);
};

// How the menu's items are measured and painted.
class CMenuExStyle : public QProxyStyle {
    Q_OBJECT

public:
    CMenuExStyle();

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
};
