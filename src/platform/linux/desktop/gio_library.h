// GIO (GSettings and GDBus), loaded when a backend first needs it.
//
// Loading GLib's type system costs a run several milliseconds, which the
// X11 root backend and every other backend that does not use GIO should not
// pay; so the library is opened at run time and the few functions the
// backends call are looked up by name. Their types come from GIO's own
// headers, so every call is checked as if the library were linked.
#pragma once

#include <gio/gio.h>
#include <gio/gunixfdlist.h>

#include <string>

namespace sarvo::platform::gio {

struct Library {
    decltype(&::g_bus_get_sync) bus_get_sync;
    decltype(&::g_cancellable_new) cancellable_new;
    decltype(&::g_cancellable_cancel) cancellable_cancel;
    decltype(&::g_error_matches) error_matches;
    decltype(&::g_io_error_quark) io_error_quark;
    decltype(&::g_dbus_connection_call_sync) dbus_connection_call_sync;
    decltype(&::g_dbus_connection_call_with_unix_fd_list_sync) dbus_connection_call_with_unix_fd_list_sync;
    decltype(&::g_dbus_connection_get_unique_name) dbus_connection_get_unique_name;
    decltype(&::g_dbus_connection_signal_subscribe) dbus_connection_signal_subscribe;
    decltype(&::g_dbus_connection_signal_unsubscribe) dbus_connection_signal_unsubscribe;
    decltype(&::g_unix_fd_list_new) unix_fd_list_new;
    decltype(&::g_unix_fd_list_append) unix_fd_list_append;
    decltype(&::g_settings_schema_source_get_default) settings_schema_source_get_default;
    decltype(&::g_settings_schema_source_lookup) settings_schema_source_lookup;
    decltype(&::g_settings_schema_has_key) settings_schema_has_key;
    decltype(&::g_settings_schema_unref) settings_schema_unref;
    decltype(&::g_settings_new_full) settings_new_full;
    decltype(&::g_settings_is_writable) settings_is_writable;
    decltype(&::g_settings_get_string) settings_get_string;
    decltype(&::g_settings_set_string) settings_set_string;
    decltype(&::g_settings_sync) settings_sync;
    decltype(&::g_object_unref) object_unref;
    decltype(&::g_error_free) error_free;
    decltype(&::g_free) free;
    decltype(&::g_variant_new) variant_new;
    decltype(&::g_variant_new_string) variant_new_string;
    decltype(&::g_variant_new_int32) variant_new_int32;
    decltype(&::g_variant_get) variant_get;
    decltype(&::g_variant_unref) variant_unref;
    decltype(&::g_variant_iter_next) variant_iter_next;
    decltype(&::g_variant_iter_free) variant_iter_free;
    decltype(&::g_variant_builder_init) variant_builder_init;
    decltype(&::g_variant_builder_add) variant_builder_add;
    decltype(&::g_main_context_iteration) main_context_iteration;
    decltype(&::g_timeout_add) timeout_add;
    decltype(&::g_source_remove) source_remove;
};

// The library, loaded on the first call; nullptr with `why` when it is not
// installed.
const Library* Load(std::string& why);

// How long the session bus may take to let us in.
inline constexpr int kBusAnswerMs = 3000;

// How long a desktop service may take to answer a call on the bus.
inline constexpr int kCallAnswerMs = 5000;

// The session bus, connected on the first call (and kept); nullptr with
// `why` when there is none or it did not let us in by kBusAnswerMs.
// GSettings reports success even when nothing could be stored for lack of
// a bus, so every GIO backend asks this first.
GDBusConnection* SessionBus(std::string& why);

// Waits up to `timeoutMs` for a program to own `name` on the session bus;
// false with `why` when none does, or the bus cannot tell.
bool WaitForName(const char* name, int timeoutMs, std::string& why);

// An error's message, and frees it.
std::string TakeMessage(const Library& gio, GError* error);

}  // namespace sarvo::platform::gio
