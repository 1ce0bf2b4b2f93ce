#pragma once

#include <QString>

// Finds another program's top-level window by its exact title. Under X11 the window manager's
// list of client windows is read (_NET_CLIENT_LIST, with _NET_WM_NAME or WM_NAME for titles);
// where there is no X display (another desktop, no window manager list) nothing is found, so the
// caller goes on as if the window did not exist.
namespace WindowFinder {

// True when a top-level window titled TITLE exists; it is then brought to the top and shown.
bool raiseWindowTitled(const QString& title);
// True when such a window exists, without touching it.
bool hasWindowTitled(const QString& title);

}  // namespace WindowFinder
