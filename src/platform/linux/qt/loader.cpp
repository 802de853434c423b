// Qt is loaded only when something must really be shown: loading it costs a
// run several milliseconds and megabytes, and the changer usually shows
// nothing. Qt also ends the whole process when it cannot reach its display,
// so the displays are checked here first; without one (a run from cron or a
// text console) the callers write to standard error instead.
#include "qt/loader.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "module_linux.h"
#include "x11_linux.h"

namespace sarvo::platform::linux_qt {

namespace {

constexpr const char* kModuleName = "sarvo-qt.so";

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or gives its full path.
bool WaylandReachable() {
    if (!Set("WAYLAND_DISPLAY")) return false;
    const std::string name = std::getenv("WAYLAND_DISPLAY");
    std::string path;
    if (name.front() == '/') {
        path = name;
    } else {
        if (!Set("XDG_RUNTIME_DIR")) return false;
        path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

bool X11Reachable() {
    if (!Set("DISPLAY")) return false;
    const x11::Connection connection;
    return connection.get() != nullptr;
}

const Entries* Load(std::string& why) {
    const Displays& displays = ReachableDisplays();
    if (!displays.any()) {
        why = kNoDisplay;
        return nullptr;
    }
    auto start = reinterpret_cast<SarvoQtStart>(linux_module::LoadEntry(kModuleName, SARVO_QT_ENTRY, why));
    if (start == nullptr) return nullptr;
    const Entries* entries = start(QtPlatformsFor(displays), &why);
    if (entries != nullptr && entries->version != kModuleVersion) {
        why = std::string(kModuleName) + " belongs to another build of the suite";
        return nullptr;
    }
    return entries;
}

}  // namespace

const Displays& ReachableDisplays() {
    static const Displays displays{WaylandReachable(), X11Reachable()};
    return displays;
}

const char* QtPlatformsFor(const Displays& displays) {
    if (Set("QT_QPA_PLATFORM")) return nullptr;
    if (displays.wayland && displays.x11) return "wayland;xcb";
    return displays.wayland ? "wayland" : "xcb";
}

const Entries* QtModule(std::string& why) {
    static std::string failure;
    static const Entries* const entries = Load(failure);
    if (entries == nullptr) why = failure;
    return entries;
}

}  // namespace sarvo::platform::linux_qt
