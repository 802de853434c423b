// Wayland compositors without a wallpaper of their own: Hyprland (through
// hyprpaper when it runs) and every compositor with the layer-shell
// protocol (niri, river, labwc, wayfire, ...) through one swaybg per session.
#pragma once

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kHyprlandBackend;
extern const DesktopBackend kWlrootsBackend;

}  // namespace sarvo::platform
