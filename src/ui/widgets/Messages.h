#pragma once

#include <QEvent>

// Messages between the program's windows. Each keeps its number: the event type is the message
// number itself, which lies in Qt's range for application events.
namespace Messages {

inline constexpr int kUser = 0x0400;

enum : int {
    kTrayNotify = kUser + 110,         // tray icon -> main dialog
    kPlaySelected = kUser + 1001,      // channel tree -> main dialog (posted)
    kPlayCurrent = kUser + 1002,       // main dialog -> player window (posted)
    kStopPlayback = kUser + 1008,      // main dialog, update prompt -> player window (sent)
    kNewVersion = kUser + 1100,        // update check -> main dialog (sent)
    kRetryChannelList = kUser + 1101,  // retry notice -> main dialog (posted)
    kRefreshSignIn = kUser + 1201,     // login dialog -> main dialog (sent)
    kMandatoryUpdate = kUser + 1301,   // update check -> main dialog (sent)
};

// A message with its two parameters; most are sent with both 0.
class WindowMessage : public QEvent {
public:
    explicit WindowMessage(int message, qintptr wParam = 0, qintptr lParam = 0)
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam) {}
    int message() const { return static_cast<int>(type()); }
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

private:
    qintptr m_wParam;
    qintptr m_lParam;
};

}  // namespace Messages
