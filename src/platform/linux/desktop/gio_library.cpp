#include "desktop/gio_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace sarvo::platform::gio {

namespace {

template <typename Function>
bool Find(void* handle, const char* name, Function& function, std::string& why) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (function == nullptr) why = std::string("GIO に ") + name + " がありません。";
    return function != nullptr;
}

bool Fill(void* h, Library& l, std::string& why) {
    return Find(h, "g_bus_get_sync", l.bus_get_sync, why) &&
           Find(h, "g_cancellable_new", l.cancellable_new, why) &&
           Find(h, "g_cancellable_cancel", l.cancellable_cancel, why) &&
           Find(h, "g_error_matches", l.error_matches, why) && Find(h, "g_io_error_quark", l.io_error_quark, why) &&
           Find(h, "g_dbus_connection_call_sync", l.dbus_connection_call_sync, why) &&
           Find(h, "g_dbus_connection_call_with_unix_fd_list_sync", l.dbus_connection_call_with_unix_fd_list_sync,
                why) &&
           Find(h, "g_dbus_connection_get_unique_name", l.dbus_connection_get_unique_name, why) &&
           Find(h, "g_dbus_connection_signal_subscribe", l.dbus_connection_signal_subscribe, why) &&
           Find(h, "g_dbus_connection_signal_unsubscribe", l.dbus_connection_signal_unsubscribe, why) &&
           Find(h, "g_unix_fd_list_new", l.unix_fd_list_new, why) &&
           Find(h, "g_unix_fd_list_append", l.unix_fd_list_append, why) &&
           Find(h, "g_settings_schema_source_get_default", l.settings_schema_source_get_default, why) &&
           Find(h, "g_settings_schema_source_lookup", l.settings_schema_source_lookup, why) &&
           Find(h, "g_settings_schema_has_key", l.settings_schema_has_key, why) &&
           Find(h, "g_settings_schema_unref", l.settings_schema_unref, why) &&
           Find(h, "g_settings_new_full", l.settings_new_full, why) &&
           Find(h, "g_settings_is_writable", l.settings_is_writable, why) &&
           Find(h, "g_settings_get_string", l.settings_get_string, why) &&
           Find(h, "g_settings_set_string", l.settings_set_string, why) &&
           Find(h, "g_settings_sync", l.settings_sync, why) && Find(h, "g_object_unref", l.object_unref, why) &&
           Find(h, "g_error_free", l.error_free, why) && Find(h, "g_free", l.free, why) &&
           Find(h, "g_variant_new", l.variant_new, why) &&
           Find(h, "g_variant_new_string", l.variant_new_string, why) &&
           Find(h, "g_variant_new_int32", l.variant_new_int32, why) && Find(h, "g_variant_get", l.variant_get, why) &&
           Find(h, "g_variant_unref", l.variant_unref, why) &&
           Find(h, "g_variant_iter_next", l.variant_iter_next, why) &&
           Find(h, "g_variant_iter_free", l.variant_iter_free, why) &&
           Find(h, "g_variant_builder_init", l.variant_builder_init, why) &&
           Find(h, "g_variant_builder_add", l.variant_builder_add, why) &&
           Find(h, "g_main_context_iteration", l.main_context_iteration, why) &&
           Find(h, "g_timeout_add", l.timeout_add, why) && Find(h, "g_source_remove", l.source_remove, why);
}

}  // namespace

const Library* Load(std::string& why) {
    static std::string failure;
    static const Library* library = [] () -> const Library* {
        // GIO pulls in GLib and GObject itself. It is never unloaded: GLib's
        // type system cannot be.
        void* handle = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* error = dlerror();
            failure = std::string("GIO を読み込めませんでした（") + (error != nullptr ? error : "libgio-2.0.so.0") +
                      "）。パッケージ libglib2.0-0 をインストールしてください。";
            return nullptr;
        }
        static Library loaded{};
        return Fill(handle, loaded, failure) ? &loaded : nullptr;
    }();
    if (library == nullptr) why = failure;
    return library;
}

// Whether the session names a bus: its address, or the user bus socket in
// XDG_RUNTIME_DIR. Without either GIO would start a bus of its own through
// X11, one that outlives the run and that no desktop listens on.
bool SessionBusNamed() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    return runtime != nullptr && *runtime == '/' && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 &&
           S_ISSOCK(st.st_mode);
}

// GIO waits for the bus to let it in without end; a helper thread cancels
// the wait once `milliseconds` have passed (the error is then "cancelled").
GDBusConnection* ConnectCancelledAfter(const Library& gio, int milliseconds, GError*& error) {
    GCancellable* cancellable = gio.cancellable_new();
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread timer([&] {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return done; }))
            gio.cancellable_cancel(cancellable);
    });
    GDBusConnection* connection = gio.bus_get_sync(G_BUS_TYPE_SESSION, cancellable, &error);
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_one();
    timer.join();
    gio.object_unref(cancellable);
    return connection;
}

GDBusConnection* SessionBus(std::string& why) {
    const Library* gio = Load(why);
    if (gio == nullptr) return nullptr;
    static std::string failure;
    static GDBusConnection* bus = [gio]() -> GDBusConnection* {
        if (!SessionBusNamed()) {
            failure = "セッション バスがありません（DBUS_SESSION_BUS_ADDRESS が設定されていません）。"
                      "デスクトップのセッションの中で実行してください。";
            return nullptr;
        }
        GError* error = nullptr;
        GDBusConnection* connection = ConnectCancelledAfter(*gio, kBusAnswerMs, error);
        if (connection == nullptr && gio->error_matches(error, gio->io_error_quark(), G_IO_ERROR_CANCELLED)) {
            gio->error_free(error);
            failure = "セッション バスが" + std::to_string(kBusAnswerMs / 1000) + "秒以内に応答しませんでした。";
        } else if (connection == nullptr) {
            failure = "セッション バスに接続できませんでした（" + TakeMessage(*gio, error) +
                      "）。DBUS_SESSION_BUS_ADDRESS が設定されたデスクトップのセッションの中で実行してください。";
        }
        return connection;
    }();
    if (bus == nullptr) why = failure;
    return bus;
}

bool WaitForName(const char* name, int timeoutMs, std::string& why) {
    GDBusConnection* bus = SessionBus(why);
    if (bus == nullptr) return false;
    const Library& gio = *Load(why);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        GError* error = nullptr;
        GVariant* reply = gio.dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
            gio.variant_new("(s)", name), reinterpret_cast<const GVariantType*>("(b)"), G_DBUS_CALL_FLAGS_NONE,
            kCallAnswerMs, nullptr, &error);
        if (reply == nullptr) {
            why = std::string("セッション バスから ") + name + " が動いているか分かりませんでした：" + TakeMessage(gio, error);
            return false;
        }
        gboolean owned = FALSE;
        gio.variant_get(reply, "(b)", &owned);
        gio.variant_unref(reply);
        if (owned) return true;
        if (std::chrono::steady_clock::now() >= end) {
            why = std::to_string(timeoutMs / 1000) + "秒待っても、" + name + " がセッション バスに現れませんでした。";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string TakeMessage(const Library& gio, GError* error) {
    if (error == nullptr) return "不明なエラー";
    std::string message = error->message != nullptr ? error->message : "不明なエラー";
    gio.error_free(error);
    return message;
}

}  // namespace sarvo::platform::gio
