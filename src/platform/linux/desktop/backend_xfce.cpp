// Xfce keeps a picture and a style per monitor and workspace:
// /backdrop/screen0/monitor<NAME>/workspace<N>/last-image and image-style
// in the channel xfce4-desktop. Every such pair that exists is set, and so
// is every pair of a RandR output that is on and a workspace the window
// manager announces: xfdesktop writes its own picture for a monitor that
// has none when it starts (on a fresh installation, a run at log-on before
// xfdesktop, a monitor the channel has not met). xfdesktop follows the
// channel's changes by itself.
#include "desktop/backend_xfce.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "desktop/gio_library.h"
#include "desktop/presenter.h"
#include "x11_linux.h"

namespace sarvo::platform {

namespace {

constexpr const char* kChannel = "xfce4-desktop";

const GVariantType* Type(const char* text) { return reinterpret_cast<const GVariantType*>(text); }

// Calls an org.xfce.Xfconf method; the reply, or nullptr with `why`.
GVariant* Call(const char* method, GVariant* arguments, const char* replyType, std::string& why) {
    GDBusConnection* bus = gio::SessionBus(why);
    if (bus == nullptr) return nullptr;
    const gio::Library& gio = *gio::Load(why);
    GError* error = nullptr;
    GVariant* reply = gio.dbus_connection_call_sync(bus, "org.xfce.Xfconf", "/org/xfce/Xfconf", "org.xfce.Xfconf",
                                                    method, arguments, Type(replyType), G_DBUS_CALL_FLAGS_NONE,
                                                    gio::kCallAnswerMs, nullptr, &error);
    if (reply == nullptr) why = std::string("xfconf（") + method + "）：" + gio::TakeMessage(gio, error);
    return reply;
}

// The prefixes ".../workspaceN/" of every picture property there is.
bool PictureProperties(std::vector<std::string>& prefixes, std::string& why) {
    prefixes.clear();
    GVariant* reply = Call("GetAllProperties", gio::Load(why)->variant_new("(ss)", kChannel, "/backdrop"),
                           "(a{sv})", why);
    if (reply == nullptr) {
        // A channel or branch that holds nothing yet is reported as an error.
        return why.find("does not exist") != std::string::npos || why.find("not found") != std::string::npos;
    }
    const gio::Library& gio = *gio::Load(why);
    GVariantIter* items = nullptr;
    gio.variant_get(reply, "(a{sv})", &items);
    const char* key = nullptr;
    GVariant* value = nullptr;
    constexpr std::string_view kPicture = "/last-image";
    while (gio.variant_iter_next(items, "{&sv}", &key, &value)) {
        const std::string_view name(key);
        if (name.size() > kPicture.size() && name.substr(name.size() - kPicture.size()) == kPicture)
            prefixes.emplace_back(name.substr(0, name.size() - kPicture.size() + 1));
        gio.variant_unref(value);
    }
    gio.variant_iter_free(items);
    gio.variant_unref(reply);
    return true;
}

// The prefixes xfdesktop uses: every RandR output that is on and has a name
// xfconf takes, times every workspace.
std::vector<std::string> CurrentPictureProperties() {
    std::vector<std::string> monitors;
    long workspaces = 1;
    const x11::Connection connection;
    if (Display* d = connection.get()) {
        const Window root = DefaultRootWindow(d);
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root)) {
            for (int i = 0; i < resources->noutput; ++i) {
                XRROutputInfo* output = XRRGetOutputInfo(d, resources, resources->outputs[i]);
                if (output == nullptr) continue;
                const std::string name =
                    XfceMonitorName(std::string_view(output->name, static_cast<std::size_t>(output->nameLen)));
                if (output->connection == RR_Connected && output->crtc != 0 && !name.empty()) monitors.push_back(name);
                XRRFreeOutputInfo(output);
            }
            XRRFreeScreenResources(resources);
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, root, XInternAtom(d, "_NET_NUMBER_OF_DESKTOPS", False), 0, 1, False, XA_CARDINAL,
                               &type, &format, &count, &after, &data) == Success &&
            type == XA_CARDINAL && format == 32 && count == 1)
            workspaces = std::max(1L, std::min(64L, *reinterpret_cast<long*>(data)));
        if (data != nullptr) XFree(data);
    }
    std::vector<std::string> prefixes;
    for (const std::string& monitor : monitors)
        for (long w = 0; w < workspaces; ++w)
            prefixes.push_back("/backdrop/screen0/" + monitor + "/workspace" + std::to_string(w) + "/");
    return prefixes;
}

bool SetProperty(const std::string& property, GVariant* value, std::string& why) {
    GVariant* reply = Call("SetProperty", gio::Load(why)->variant_new("(ssv)", kChannel, property.c_str(), value),
                           "()", why);
    if (reply == nullptr) return false;
    gio::Load(why)->variant_unref(reply);
    return true;
}

// A property as it was before this run set it: its value, or none.
struct Earlier {
    std::string property;
    GVariant* value;  // nullptr: the property did not exist
};

// Sets `property` to `value` after noting in `written` what it held, so
// that it can be put back.
bool SetNoting(const std::string& property, GVariant* value, std::vector<Earlier>& written, std::string& why) {
    const gio::Library& gio = *gio::Load(why);
    std::string missing;
    GVariant* reply = Call("GetProperty", gio.variant_new("(ss)", kChannel, property.c_str()), "(v)", missing);
    GVariant* was = nullptr;
    if (reply != nullptr) {
        gio.variant_get(reply, "(v)", &was);
        gio.variant_unref(reply);
    }
    if (!SetProperty(property, value, why)) {
        if (was != nullptr) gio.variant_unref(was);
        return false;
    }
    written.push_back({property, was});
    return true;
}

// After a property was refused: gives the ones set before it their earlier
// values back, newest first, so that no monitor goes on naming a picture
// that is then removed. False when one of them cannot be put back.
bool PutBack(std::vector<Earlier>& written) {
    std::string why;
    const gio::Library& gio = *gio::Load(why);
    bool all = true;
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        if (it->value != nullptr) {
            all = SetProperty(it->property, it->value, why) && all;
            gio.variant_unref(it->value);
        } else {
            GVariant* reply = Call("ResetProperty", gio.variant_new("(ssb)", kChannel, it->property.c_str(), FALSE),
                                   "()", why);
            if (reply != nullptr) gio.variant_unref(reply);
            all = reply != nullptr && all;
        }
    }
    written.clear();
    return all;
}

bool Connect(std::string& why) {
    GVariant* reply = Call("ListChannels", nullptr, "(as)", why);
    if (reply == nullptr) {
        why += "（xfconfd がインストールされているか確認してください。パッケージ xfconf にあります）";
        return false;
    }
    gio::Load(why)->variant_unref(reply);
    return true;
}

bool Apply(const std::string& bitmap, Placement placement, std::string& why) {
    std::vector<std::string> prefixes;
    if (!PictureProperties(prefixes, why)) return false;
    for (const std::string& prefix : CurrentPictureProperties())
        if (std::find(prefixes.begin(), prefixes.end(), prefix) == prefixes.end()) prefixes.push_back(prefix);
    // Without an X server to tell the monitors, the name of Xfce's first monitor.
    if (prefixes.empty()) prefixes.emplace_back("/backdrop/screen0/monitor0/workspace0/");
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Xfce, presenter::Format::Png, handed, why))
        return false;
    const gio::Library& gio = *gio::Load(why);
    const int style = std::stoi(handed.mode);
    std::vector<Earlier> written;
    for (const std::string& prefix : prefixes) {
        if (!SetNoting(prefix + "last-image", gio.variant_new_string(handed.path.c_str()), written, why) ||
            !SetNoting(prefix + "image-style", gio.variant_new_int32(style), written, why)) {
            // Should the earlier values not go back, a monitor may be left
            // naming the new picture, which then stays.
            if (PutBack(written)) presenter::Discard(handed);
            return false;
        }
    }
    for (const Earlier& earlier : written)
        if (earlier.value != nullptr) gio.variant_unref(earlier.value);
    presenter::Keep(bitmap, handed);
    return true;
}

bool Clear(std::string& why) {
    std::vector<std::string> prefixes;
    if (!PictureProperties(prefixes, why)) return false;
    for (const std::string& prefix : prefixes)
        if (!SetProperty(prefix + "image-style", gio::Load(why)->variant_new_int32(0), why)) return false;
    return true;
}

bool Detect(const Environment& e) { return NamesAny(e, {"xfce", "xfce4"}); }

}  // namespace

std::string XfceMonitorName(std::string_view outputName) {
    std::string name = "monitor";
    for (const char c : outputName) {
        if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
        const bool taken = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           std::string_view("_-:.,[]{}<>|").find(c) != std::string_view::npos;
        if (!taken) return "";
        name += c;
    }
    return name.size() > 7 ? name : "";
}

const DesktopBackend kXfceBackend{"xfce", Detect, Connect, Apply, Clear};

}  // namespace sarvo::platform
