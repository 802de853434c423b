// Stand-ins for desktop services on the session bus, for the integration
// tests. Each owns its service's name, answers the one call the suite makes
// of it, records what it was sent in the file RECORD, and creates
// RECORD.ready once it owns the name. Runs until it is ended.
//   desktop_stand_in plasma RECORD
//       org.kde.plasmashell: answers org.kde.PlasmaShell.evaluateScript on
//       /PlasmaShell with an empty reply, appending every script that is not
//       empty, each followed by a line "--"
//   desktop_stand_in portal RECORD
//       org.freedesktop.portal.Desktop: answers
//       org.freedesktop.portal.Wallpaper.SetWallpaperFile, writes the file it
//       is handed to RECORD and its options to RECORD.options, and sends the
//       request's Response (0, success)
#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kPlasma =
    "<node><interface name='org.kde.PlasmaShell'>"
    "<method name='evaluateScript'><arg type='s' direction='in'/><arg type='s' direction='out'/></method>"
    "</interface></node>";
constexpr const char* kPortal =
    "<node><interface name='org.freedesktop.portal.Wallpaper'>"
    "<method name='SetWallpaperFile'><arg type='s' direction='in'/><arg type='h' direction='in'/>"
    "<arg type='a{sv}' direction='in'/><arg type='o' direction='out'/></method>"
    "</interface></node>";

std::string gRecord;
bool gPortal = false;

void Append(const std::string& path, const char* mode, const std::string& text) {
    if (FILE* f = std::fopen(path.c_str(), mode)) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

void Evaluate(GVariant* parameters, GDBusMethodInvocation* invocation) {
    const gchar* script = nullptr;
    g_variant_get(parameters, "(&s)", &script);
    if (script != nullptr && *script != '\0') Append(gRecord, "ab", std::string(script) + "--\n");
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", ""));
}

void SetWallpaperFile(GDBusConnection* bus, GVariant* parameters, GDBusMethodInvocation* invocation) {
    const gchar* parent = nullptr;
    gint32 index = -1;
    GVariant* options = nullptr;
    g_variant_get(parameters, "(&sh@a{sv})", &parent, &index, &options);
    GUnixFDList* fds = g_dbus_message_get_unix_fd_list(g_dbus_method_invocation_get_message(invocation));
    const int fd = fds != nullptr ? g_unix_fd_list_get(fds, index, nullptr) : -1;
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while (fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    if (fd >= 0) close(fd);
    Append(gRecord, "wb", bytes);
    gchar* printed = g_variant_print(options, FALSE);
    Append(gRecord + ".options", "wb", std::string(printed) + "\n");
    g_free(printed);
    const gchar* token = "t";
    g_variant_lookup(options, "handle_token", "&s", &token);
    std::string sender = g_dbus_method_invocation_get_sender(invocation) + 1;
    for (char& c : sender)
        if (c == '.') c = '_';
    const std::string request = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
    g_variant_unref(options);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    g_dbus_connection_emit_signal(bus, g_dbus_method_invocation_get_sender(invocation), request.c_str(),
                                  "org.freedesktop.portal.Request", "Response",
                                  g_variant_new("(u@a{sv})", 0u, g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
                                  nullptr);
}

void OnCall(GDBusConnection* bus, const gchar*, const gchar*, const gchar*, const gchar* method,
            GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    if (g_strcmp0(method, "evaluateScript") == 0) Evaluate(parameters, invocation);
    if (g_strcmp0(method, "SetWallpaperFile") == 0) SetWallpaperFile(bus, parameters, invocation);
}

void OnBus(GDBusConnection* bus, const gchar*, gpointer) {
    static const GDBusInterfaceVTable table{OnCall, nullptr, nullptr, {}};
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(gPortal ? kPortal : kPlasma, nullptr);
    g_dbus_connection_register_object(bus, gPortal ? "/org/freedesktop/portal/desktop" : "/PlasmaShell",
                                      node->interfaces[0], &table, nullptr, nullptr, nullptr);
    g_dbus_node_info_unref(node);
}

void OnName(GDBusConnection*, const gchar*, gpointer) { Append(gRecord + ".ready", "w", ""); }

void OnLost(GDBusConnection*, const gchar*, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "plasma" && kind != "portal") {
        std::fprintf(stderr, "usage: desktop_stand_in plasma|portal RECORD\n");
        return 2;
    }
    gPortal = kind == "portal";
    gRecord = argv[2];
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_bus_own_name(G_BUS_TYPE_SESSION, gPortal ? "org.freedesktop.portal.Desktop" : "org.kde.plasmashell",
                   G_BUS_NAME_OWNER_FLAGS_NONE, OnBus, OnName, OnLost, loop, nullptr);
    g_main_loop_run(loop);
    return 1;
}
