// Qt is loaded only when something must really be shown: loading it costs a
// run several milliseconds and megabytes, and the changer usually shows
// nothing. Qt also ends the whole process when it cannot reach its display,
// so the displays are checked here first; without one (a run from cron or a
// text console) the callers write to standard error instead.
#include "qt/loader.h"

#include <cstdint>
#include <cstdlib>

#include "deadline_linux.h"
#include "module_linux.h"
#include "socket_linux.h"
#include "x11_linux.h"

namespace sarvo::platform::linux_qt {

namespace {

constexpr const char* kModuleName = "sarvo-qt.so";

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or gives its full path.
// Qt waits for the compositor's answers without end, so the compositor is
// first asked for one by kCompositorAnswerMs: the display's "sync" request,
// whose callback it answers at once.
bool WaylandReachable(std::string& why) {
    if (!Set("WAYLAND_DISPLAY")) return false;
    const std::string name = std::getenv("WAYLAND_DISPLAY");
    std::string path;
    if (name.front() == '/') {
        path = name;
    } else {
        if (!Set("XDG_RUNTIME_DIR")) return false;
        path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + name;
    }
    using namespace linux_socket;
    const Deadline deadline = After(kCompositorAnswerMs);
    // wl_display (object 1), request 0 (sync) of 12 bytes, new callback object 2
    static constexpr std::uint32_t kSync[3] = {1, 12u << 16, 2};
    std::uint32_t answer = 0;
    Socket socket;
    std::string failure;
    Result result = ConnectUnix(path, deadline, socket, failure);
    if (result == Result::Done) result = SendAll(socket, kSync, sizeof kSync, deadline, failure);
    if (result == Result::Done) result = ReceiveAll(socket, &answer, sizeof answer, deadline, failure);
    if (result == Result::TimedOut)
        why = "Wayland のコンポジター（" + path + "）が" + std::to_string(kCompositorAnswerMs / 1000) +
              "秒以内に応答しませんでした。";
    else if (result == Result::Failed)
        why = "Wayland のコンポジター（" + path + "）に接続できませんでした：" + failure;
    return result == Result::Done;
}

bool X11Reachable(std::string& why) {
    if (!Set("DISPLAY")) return false;
    const x11::Connection connection;
    why = connection.why();
    return connection.get() != nullptr;
}

const Entries* Load(std::string& why) {
    const linux_deadline::Step step("ディスプレイでの Qt の起動");
    const Displays& displays = ReachableDisplays();
    if (!displays.any()) {
        why = displays.why.empty() ? kNoDisplay : displays.why;
        return nullptr;
    }
    auto start = reinterpret_cast<SarvoQtStart>(linux_module::LoadEntry(kModuleName, SARVO_QT_ENTRY, why));
    if (start == nullptr) return nullptr;
    const Entries* entries = start(QtPlatformsFor(displays), &why);
    if (entries != nullptr && entries->version != kModuleVersion) {
        why = "別のビルドのモジュールです：" + std::string(kModuleName);
        return nullptr;
    }
    return entries;
}

}  // namespace

const Displays& ReachableDisplays() {
    static const Displays displays = [] {
        Displays found;
        std::string whyWayland, whyX11;
        found.wayland = WaylandReachable(whyWayland);
        found.x11 = X11Reachable(whyX11);
        found.why = whyWayland.empty() || whyX11.empty() ? whyWayland + whyX11 : whyWayland + "\n" + whyX11;
        return found;
    }();
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
