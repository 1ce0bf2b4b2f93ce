#include "platform/WindowFinder.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace WindowFinder {

namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1 << 16), nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// The window titled TITLE, or none.
xcb_window_t find(xcb_connection_t* c, xcb_window_t root, const QString& title) {
    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    if (clientList == XCB_ATOM_NONE) {
        return XCB_WINDOW_NONE;
    }
    const Reply<xcb_get_property_reply_t> list(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, clientList, XCB_ATOM_WINDOW, 0, 1 << 16), nullptr));
    if (!list || list->format != 32) {
        return XCB_WINDOW_NONE;
    }
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    const int count = xcb_get_property_value_length(list.get()) / 4;
    const QByteArray wanted = title.toUtf8();
    for (int i = 0; i < count; ++i) {
        QByteArray name = property(c, windows[i], netName, utf8);
        if (name.isEmpty()) {
            name = property(c, windows[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        }
        if (name == wanted) {
            return windows[i];
        }
    }
    return XCB_WINDOW_NONE;
}

struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    Display() {
        if (std::getenv("DISPLAY") == nullptr) {
            return;
        }
        int screenNumber = 0;
        connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection) != 0) {
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; it.rem > 0 && i < screenNumber; ++i) {
            xcb_screen_next(&it);
        }
        if (it.rem > 0) {
            root = it.data->root;
        }
    }
    ~Display() {
        if (connection != nullptr) {
            xcb_disconnect(connection);
        }
    }
    bool usable() const { return connection != nullptr && root != XCB_WINDOW_NONE; }
};

}  // namespace

bool hasWindowTitled(const QString& title) {
    const Display display;
    return display.usable() && find(display.connection, display.root, title) != XCB_WINDOW_NONE;
}

bool raiseWindowTitled(const QString& title) {
    const Display display;
    if (!display.usable()) {
        return false;
    }
    const xcb_window_t window = find(display.connection, display.root, title);
    if (window == XCB_WINDOW_NONE) {
        return false;
    }
    xcb_map_window(display.connection, window);
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(display.connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    // Asking the window manager to activate it is what brings it forward on a managed desktop.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(display.connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2;  // a pager-like request: honoured even without user time
    xcb_send_event(display.connection, 0, display.root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(display.connection);
    return true;
}

}  // namespace WindowFinder
