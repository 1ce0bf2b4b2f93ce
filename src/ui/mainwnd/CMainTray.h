#pragma once

#include "mainwnd/CTrayIcon.h"

class CMainDlg;

// What the tray icon does to the main window: a click brings the window forward (restored only
// when it was minimised), a double-click restores it from minimised or maximised and brings an
// open dialog with it, and the menu shows the window, shows the about box or ends the client,
// closing open dialogs first so it never ends beneath one. Nothing answers once closing began.
class CMainTray {
public:
    explicit CMainTray(CMainDlg& window) : m_window(window) {}

    // The icon in the notification area, shown now or once one appears.
    void create();
    CTrayIcon& icon() { return m_icon; }

private:
    void command(int command);
    void doubleClick();

    CMainDlg& m_window;
    CTrayIcon m_icon;
};
