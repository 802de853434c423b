// A stand-in for the Plasma shell on the session bus, for the integration
// tests: owns org.kde.plasmashell, answers org.kde.PlasmaShell.evaluateScript
// on /PlasmaShell with an empty reply, and appends every script that is not
// empty to the file RECORD, each followed by a line "--". Creates
// RECORD.ready once it owns the name. Runs until it is ended.
//   plasma_stand_in RECORD
#include <gio/gio.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kInterface =
    "<node><interface name='org.kde.PlasmaShell'>"
    "<method name='evaluateScript'><arg type='s' direction='in'/><arg type='s' direction='out'/></method>"
    "</interface></node>";

std::string gRecord;

void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant* parameters,
            GDBusMethodInvocation* invocation, gpointer) {
    if (g_strcmp0(method, "evaluateScript") != 0) return;
    const gchar* script = nullptr;
    g_variant_get(parameters, "(&s)", &script);
    if (script != nullptr && *script != '\0') {
        if (FILE* f = std::fopen(gRecord.c_str(), "ab")) {
            std::fprintf(f, "%s--\n", script);
            std::fclose(f);
        }
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", ""));
}

void OnBus(GDBusConnection* bus, const gchar*, gpointer) {
    static const GDBusInterfaceVTable table{OnCall, nullptr, nullptr, {}};
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
    g_dbus_connection_register_object(bus, "/PlasmaShell", node->interfaces[0], &table, nullptr, nullptr, nullptr);
    g_dbus_node_info_unref(node);
}

void OnName(GDBusConnection*, const gchar*, gpointer) {
    if (FILE* f = std::fopen((gRecord + ".ready").c_str(), "w")) std::fclose(f);
}

void OnLost(GDBusConnection*, const gchar*, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: plasma_stand_in RECORD\n");
        return 2;
    }
    gRecord = argv[1];
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_bus_own_name(G_BUS_TYPE_SESSION, "org.kde.plasmashell", G_BUS_NAME_OWNER_FLAGS_NONE, OnBus, OnName, OnLost,
                   loop, nullptr);
    g_main_loop_run(loop);
    return 1;
}
