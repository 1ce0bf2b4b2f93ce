#include "mainwnd/CMainTray.h"

#include "mainwnd/CMainDlg.h"
#include "widgets/OpenDialogs.h"

void CMainTray::create() {
    if (!m_icon.Create(&m_window, CTrayIcon::kTip, m_window.windowIcon())) {
        return;
    }
    m_icon.onCommand = [this](int chosen) { command(chosen); };
    m_icon.onClick = [this] { m_window.bringForward(); };
    m_icon.onDoubleClick = [this] { doubleClick(); };
}

void CMainTray::doubleClick() {
    // Always restored: from minimised to how it was before, from maximised to its normal size.
    if (m_window.closing()) {
        return;
    }
    if (m_window.isMaximized() && !m_window.isMinimized()) {
        m_window.showNormal();
    }
    m_window.bringForward();
    OpenDialogs::RaiseActive();
}

void CMainTray::command(int command) {
    switch (command) {
        case CTrayIcon::kShowCommand:
            m_window.showMainWindow();
            break;
        case CTrayIcon::kAboutCommand:
            m_window.showAbout();
            break;
        case CTrayIcon::kExitCommand:
            OpenDialogs::CloseAll(&m_window);
            m_window.close();
            break;
        default:
            break;
    }
}
