// org.freedesktop.portal.Wallpaper.SetWallpaperFile takes the picture as an
// open file and answers later, with a Response signal on a request object
// whose path follows from our bus name and a token we choose; the signal is
// subscribed to before the call so that it cannot be missed. Asked for no
// preview, the portal asks the user nothing, and the answer comes as soon
// as the desktop has the picture; it is awaited for a while. The picture is
// laid out on a screen-sized canvas beforehand where the screen's size is
// known, since the portal applies no placement of ours.
#include "desktop/backend_portal.h"

#include <fcntl.h>
#include <unistd.h>

#include "desktop/gio_library.h"
#include "desktop/presenter.h"
#include "io_linux.h"

namespace sarvo::platform {

namespace {

// The portal answers once the desktop has taken the picture; asked for no
// preview, it asks the user nothing.
constexpr guint kAnswerWaitMs = 10000;
constexpr const char* kToken = "sarvo_wallpaper";

struct Answer {
    bool arrived = false;
    bool timedOut = false;
    guint32 response = 2;
};

void OnResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                gpointer data) {
    std::string ignored;
    const gio::Library& gio = *gio::Load(ignored);
    auto* answer = static_cast<Answer*>(data);
    GVariant* results = nullptr;
    gio.variant_get(parameters, "(u@a{sv})", &answer->response, &results);
    if (results != nullptr) gio.variant_unref(results);
    answer->arrived = true;
}

gboolean OnTimeout(gpointer data) {
    static_cast<Answer*>(data)->timedOut = true;
    return FALSE;
}

// The request object the portal answers on.
std::string RequestPath(const char* uniqueName) {
    std::string sender = uniqueName != nullptr ? uniqueName : "";
    if (!sender.empty() && sender[0] == ':') sender.erase(0, 1);
    for (char& c : sender)
        if (c == '.') c = '_';
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + kToken;
}

bool SetWallpaperFile(const std::string& path, std::string& why) {
    GDBusConnection* bus = gio::SessionBus(why);
    if (bus == nullptr) return false;
    const gio::Library& gio = *gio::Load(why);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = linux_io::ErrorText("開けませんでした", path);
        return false;
    }
    GUnixFDList* fds = gio.unix_fd_list_new();
    GError* error = nullptr;
    const gint index = gio.unix_fd_list_append(fds, fd, &error);
    close(fd);
    if (index < 0) {
        why = gio::TakeMessage(gio, error);
        gio.object_unref(fds);
        return false;
    }
    Answer answer;
    const std::string request = RequestPath(gio.dbus_connection_get_unique_name(bus));
    const guint subscription = gio.dbus_connection_signal_subscribe(
        bus, "org.freedesktop.portal.Desktop", "org.freedesktop.portal.Request", "Response", request.c_str(),
        nullptr, G_DBUS_SIGNAL_FLAGS_NO_MATCH_RULE, OnResponse, &answer, nullptr);
    GVariantBuilder options;
    gio.variant_builder_init(&options, reinterpret_cast<const GVariantType*>("a{sv}"));
    gio.variant_builder_add(&options, "{sv}", "handle_token", gio.variant_new_string(kToken));
    gio.variant_builder_add(&options, "{sv}", "set-on", gio.variant_new_string("background"));
    gio.variant_builder_add(&options, "{sv}", "show-preview", gio.variant_new("b", FALSE));
    GVariant* reply = gio.dbus_connection_call_with_unix_fd_list_sync(
        bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Wallpaper",
        "SetWallpaperFile", gio.variant_new("(sha{sv})", "", index, &options),
        reinterpret_cast<const GVariantType*>("(o)"), G_DBUS_CALL_FLAGS_NONE, gio::kCallAnswerMs, fds, nullptr, nullptr, &error);
    gio.object_unref(fds);
    bool ok = reply != nullptr;
    if (!ok) {
        why = "デスクトップ ポータル：" + gio::TakeMessage(gio, error);
    } else {
        gio.variant_unref(reply);
        const guint timer = gio.timeout_add(kAnswerWaitMs, OnTimeout, &answer);
        while (!answer.arrived && !answer.timedOut) gio.main_context_iteration(nullptr, TRUE);
        if (!answer.timedOut) gio.source_remove(timer);
        ok = answer.arrived && answer.response == 0;
        if (!ok)
            why = answer.timedOut ? "デスクトップ ポータルが応答しませんでした。"
                                  : answer.response == 1 ? "デスクトップ ポータルで壁紙の設定が断られました。"
                                                         : "デスクトップ ポータルが壁紙を設定できませんでした。";
    }
    gio.dbus_connection_signal_unsubscribe(bus, subscription);
    return ok;
}

bool Connect(std::string& why) { return gio::SessionBus(why) != nullptr; }

bool Apply(const std::string& bitmap, Placement placement, std::string& why) {
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Portal, presenter::Format::Png, handed, why))
        return false;
    if (!SetWallpaperFile(handed.path, why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

bool Clear(std::string& why) {
    why = "デスクトップ ポータルでは壁紙を消せません。デスクトップの設定で消してください。";
    return false;
}

}  // namespace

const DesktopBackend kPortalBackend{"portal", IsWaylandSession, Connect, Apply, Clear};

}  // namespace sarvo::platform
