// Where the Linux desktop's monitors come from: the compositor's own list on
// sway (its IPC) and Hyprland (hyprctl), Qt's screens on other Wayland
// sessions, RandR on X11. The compositors' answers are read by pure
// functions, tested with literal replies.
#pragma once

#include <string_view>
#include <vector>

#include "platform/screen.h"

namespace sarvo::platform::linux_monitors {

// The active outputs of sway's GET_OUTPUTS reply, at their logical places
// (turned and scaled, as sway lays them out). None for a reply that is no
// list of outputs.
std::vector<DesktopMonitor> FromSwayOutputs(std::string_view json);

// The enabled monitors of `hyprctl monitors -j`: its sizes are the modes'
// pixels, so they are divided by the scale and swapped for a quarter turn
// (the odd transforms), giving the logical places Hyprland lays out.
std::vector<DesktopMonitor> FromHyprlandMonitors(std::string_view json);

// Marks the first monitor primary when none is.
void MarkPrimary(std::vector<DesktopMonitor>& monitors);

}  // namespace sarvo::platform::linux_monitors
