#include "mainwnd/CTrayIcon.h"

#include "widgets/CMenuEx.h"

#include <QApplication>
#include <QEvent>

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() {
    qApp->removeEventFilter(this);
}

bool CTrayIcon::Create(QWidget* owner, const QString& tip, const QIcon& icon) {
    // Made whether or not a notification area is there now: one that comes later (a panel
    // started after the client) takes the icon in then.
    if (owner == nullptr) {
        return false;
    }
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip);
    m_menu = std::make_unique<CMenuEx>();
    QAction* show = m_menu->ModifyItem(kShowCommand, kShowText);
    m_menu->setDefaultAction(show);
    m_menu->addSeparator();
    m_menu->ModifyItem(kAboutCommand, kAboutText);
    m_menu->ModifyItem(kExitCommand, kExitText);
    connect(m_menu.get(), &QMenu::triggered, this, [this](QAction* action) {
        if (onCommand) {
            onCommand(CMenuEx::commandOf(action));
        }
    });
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                pointerOver();
                if (reason == QSystemTrayIcon::Trigger && onClick) {
                    onClick();
                } else if (reason == QSystemTrayIcon::DoubleClick && onDoubleClick) {
                    onDoubleClick();
                }
            });
    // The icon's own window (on X11 a small embedded widget) tells when the pointer comes over.
    qApp->installEventFilter(this);
    m_icon->show();
    return true;
}

QRect CTrayIcon::geometry() const {
    // Without a notification area the icon's window, if any, stands nowhere a user looks.
    if (!m_icon || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return {};
    }
    return m_icon->geometry();
}

void CTrayIcon::SetTooltipText(const QString& text) {
    if (m_icon) {
        m_icon->setToolTip(text);
    }
}

void CTrayIcon::pointerOver() {
    if (!m_longTip) {
        m_longTip = true;
        SetTooltipText(kLongTip);
    }
}

bool CTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (!m_longTip && (event->type() == QEvent::Enter || event->type() == QEvent::ToolTip) &&
        watched->isWidgetType() &&
        qstrcmp(watched->metaObject()->className(), "QSystemTrayIconSys") == 0) {
        pointerOver();
        qApp->removeEventFilter(this);
    }
    return false;
}
