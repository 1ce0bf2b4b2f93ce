#include "MpvLibrary.h"

#include <QLibrary>

#include <atomic>
#include <mutex>

namespace {

std::atomic<const MpvLibrary*> g_loaded{nullptr};

template <typename Function>
bool resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

const MpvLibrary* open() {
    // The library the headers were written for: its major version is the client API's.
    static QLibrary library(QStringLiteral("mpv"), MPV_CLIENT_API_VERSION >> 16);
    if (!library.load()) {
        return nullptr;
    }
    static MpvLibrary api;
    const bool all =
        resolve(library, "mpv_create", api.create) &&
        resolve(library, "mpv_initialize", api.initialize) &&
        resolve(library, "mpv_terminate_destroy", api.terminate_destroy) &&
        resolve(library, "mpv_set_option_string", api.set_option_string) &&
        resolve(library, "mpv_set_property", api.set_property) &&
        resolve(library, "mpv_set_property_async", api.set_property_async) &&
        resolve(library, "mpv_command_async", api.command_async) &&
        resolve(library, "mpv_observe_property", api.observe_property) &&
        resolve(library, "mpv_request_log_messages", api.request_log_messages) &&
        resolve(library, "mpv_set_wakeup_callback", api.set_wakeup_callback) &&
        resolve(library, "mpv_wait_event", api.wait_event) &&
        resolve(library, "mpv_render_context_create", api.render_context_create) &&
        resolve(library, "mpv_render_context_set_update_callback",
                api.render_context_set_update_callback) &&
        resolve(library, "mpv_render_context_update", api.render_context_update) &&
        resolve(library, "mpv_render_context_render", api.render_context_render) &&
        resolve(library, "mpv_render_context_report_swap", api.render_context_report_swap) &&
        resolve(library, "mpv_render_context_free", api.render_context_free);
    return all ? &api : nullptr;
}

}  // namespace

const MpvLibrary* MpvLibrary::load() {
    static std::once_flag once;
    std::call_once(once, [] { g_loaded = open(); });
    return g_loaded;
}

const MpvLibrary* MpvLibrary::loaded() {
    return g_loaded;
}
