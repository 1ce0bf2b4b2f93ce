#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class CMenuEx;

// The program's icon in the notification area: its tip, a click that brings the window forward,
// a double-click that restores it, and the small menu (show the window, about, exit). Where the
// desktop has no notification area yet, the icon waits for one, and nothing else changes.
class CTrayIcon : public QObject {
    Q_OBJECT

public:
    static constexpr int kIconId = 128;
    static constexpr int kShowCommand = 32771;
    static constexpr int kExitCommand = 32772;
    static constexpr int kAboutCommand = 32779;
    inline static const QString kTip = QStringLiteral("VELO");
    inline static const QString kLongTip = QStringLiteral("VELOライブテレビクライアント  ");
    inline static const QString kShowText = QStringLiteral("ウィンドウを表示します ");
    inline static const QString kAboutText = QStringLiteral("について ");
    inline static const QString kExitText = QStringLiteral("ログアウト ");

    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Puts the icon in place for OWNER, now or when a notification area comes; false without
    // an owner.
    bool Create(QWidget* owner, const QString& tip, const QIcon& icon);
    bool enabled() const { return m_icon != nullptr; }
    QSystemTrayIcon* icon() const { return m_icon.get(); }
    CMenuEx* menu() const { return m_menu.get(); }
    // The icon's place on the screen; empty when it is not known.
    QRect geometry() const;
    void SetTooltipText(const QString& text);
    // The pointer came over the icon: from then on the tip is the program's full name.
    void pointerOver();

    // What the owner does for each command, for a click, and for a double-click.
    std::function<void(int command)> onCommand;
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<CMenuEx> m_menu;
    bool m_longTip = false;
};
