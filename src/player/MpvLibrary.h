#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

// libmpv's functions, from the library as it is loaded when a player first starts rather than
// with the control: loading libmpv and the codec libraries under it takes several frames' time,
// so the player does it on a thread of its own while the control's window goes on showing.
struct MpvLibrary {
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&::mpv_set_option_string) set_option_string = nullptr;
    decltype(&::mpv_set_property) set_property = nullptr;
    decltype(&::mpv_set_property_async) set_property_async = nullptr;
    decltype(&::mpv_command_async) command_async = nullptr;
    decltype(&::mpv_observe_property) observe_property = nullptr;
    decltype(&::mpv_request_log_messages) request_log_messages = nullptr;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&::mpv_wait_event) wait_event = nullptr;
    decltype(&::mpv_render_context_create) render_context_create = nullptr;
    decltype(&::mpv_render_context_set_update_callback) render_context_set_update_callback =
        nullptr;
    decltype(&::mpv_render_context_update) render_context_update = nullptr;
    decltype(&::mpv_render_context_render) render_context_render = nullptr;
    decltype(&::mpv_render_context_report_swap) render_context_report_swap = nullptr;
    decltype(&::mpv_render_context_free) render_context_free = nullptr;

    // Loads the library the first time (blocking the calling thread meanwhile); null when it
    // cannot be had. Safe to call from any thread.
    static const MpvLibrary* load();
    // The library, once some thread has loaded it; null before.
    static const MpvLibrary* loaded();
};
