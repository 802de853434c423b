// Starts a desktop entry the way GLib-based sessions start autostart
// entries (GDesktopAppInfo, the parser of gnome-session and others), and
// waits for the command to end:
//   launch_desktop_entry FILE
// Exit status: 3 when GLib refuses the entry (invalid, or its TryExec or
// program missing), 4 when it cannot start it, else the command's status.
#include <gio/gdesktopappinfo.h>
#include <sys/wait.h>

#include <cstdio>

namespace {

void KeepPid(GDesktopAppInfo*, GPid pid, gpointer data) { *static_cast<GPid*>(data) = pid; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: launch_desktop_entry FILE\n");
        return 2;
    }
    GDesktopAppInfo* entry = g_desktop_app_info_new_from_filename(argv[1]);
    if (entry == nullptr) {
        std::fprintf(stderr, "GLib refuses %s\n", argv[1]);
        return 3;
    }
    GPid pid = 0;
    GError* error = nullptr;
    const gboolean started = g_desktop_app_info_launch_uris_as_manager(
        entry, nullptr, nullptr, static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
        nullptr, KeepPid, &pid, &error);
    g_object_unref(entry);
    if (!started || pid <= 0) {
        std::fprintf(stderr, "GLib cannot start %s: %s\n", argv[1], error != nullptr ? error->message : "?");
        return 4;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return 4;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
