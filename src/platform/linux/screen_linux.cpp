// The primary monitor, as Windows reports its screen size, and every
// monitor's place. On a Wayland session only the compositor knows its
// outputs: sway and Hyprland are asked themselves, other compositors
// through Qt (which is loaded for the window anyway); on X11 RandR names
// the monitors and the primary one, and the first one stands in when none
// is marked primary.
#include "platform/screen.h"

// Before Xlib, whose macro None would clash with the window model's names.
#include "qt/loader.h"

#include "deadline_linux.h"
#include "desktop/session.h"
#include "desktop/sway_ipc.h"
#include "monitors_linux.h"
#include "spawn_linux.h"
#include "x11_linux.h"

namespace sarvo::platform {

namespace {

// hyprctl answers from Hyprland's socket and ends at once.
constexpr int kHyprctlMs = 5000;

std::vector<DesktopMonitor> SwayMonitors() {
    std::string reply, why;
    if (!sway_ipc::Exchange(sway_ipc::kGetOutputs, "", reply, why)) return {};
    return linux_monitors::FromSwayOutputs(reply);
}

std::vector<DesktopMonitor> HyprlandMonitors() {
    linux_spawn::RunResult result;
    std::string why;
    if (!linux_spawn::RunAndWait({"hyprctl", "monitors", "-j"}, kHyprctlMs, result, why) || result.exitStatus != 0)
        return {};
    return linux_monitors::FromHyprlandMonitors(result.output);
}

std::vector<DesktopMonitor> QtMonitors() {
    std::string why;
    const linux_qt::Entries* qt = linux_qt::QtModule(why);
    if (qt == nullptr) return {};
    std::vector<DesktopMonitor> monitors = qt->screens();
    linux_monitors::MarkPrimary(monitors);
    return monitors;
}

std::vector<DesktopMonitor> RandrMonitors() {
    const x11::Connection connection;
    if (connection.get() == nullptr) return {};
    std::vector<DesktopMonitor> monitors;
    for (const x11::Monitor& m : x11::Monitors(connection.get()))
        if (m.rect.width > 0 && m.rect.height > 0) monitors.push_back({m.rect, m.primary, m.name});
    linux_monitors::MarkPrimary(monitors);
    return monitors;
}

}  // namespace

bool PrimaryScreenSize(int& width, int& height) {
    width = height = 0;
    const linux_qt::Displays& displays = linux_qt::ReachableDisplays();
    if (displays.wayland) {
        std::string why;
        if (const linux_qt::Entries* qt = linux_qt::QtModule(why); qt != nullptr && qt->primaryScreenSize(width, height))
            return true;
    }
    if (displays.x11 && x11::PrimaryMonitorSize(width, height)) return true;
    width = height = 0;
    return false;
}

std::vector<DesktopMonitor> DesktopMonitors() {
    const linux_deadline::Step step("モニターの一覧の取得");
    const linux_qt::Displays& displays = linux_qt::ReachableDisplays();
    const Environment environment = ProcessEnvironment();
    std::vector<DesktopMonitor> monitors;
    if (displays.wayland) {
        if (!Value(environment, "SWAYSOCK").empty()) monitors = SwayMonitors();
        else if (!Value(environment, "HYPRLAND_INSTANCE_SIGNATURE").empty()) monitors = HyprlandMonitors();
        if (monitors.empty()) monitors = QtMonitors();
    }
    if (monitors.empty() && displays.x11) monitors = RandrMonitors();
    return monitors;
}

}  // namespace sarvo::platform
