// How each desktop names the three placements: the one table that maps the
// registry store's pair (read into a Placement) onto the desktops' own modes.
#pragma once

#include <string_view>

#include "core/pure/placement.h"

namespace sarvo::platform {

enum class DesktopMode {
    GSettings,   // GNOME family, Cinnamon and MATE: "picture-options"
    Plasma,      // the image plugin's "FillMode"
    Xfce,        // xfconf "image-style"
    Pcmanfm,     // pcmanfm and pcmanfm-qt: --wallpaper-mode
    Sway,        // sway's "output * bg PATH MODE"
    Swaybg,      // swaybg -m
    Hyprpaper,   // hyprpaper's wallpaper mode
    Portal,      // the desktop portal has no placement at all
};

// The desktop's value for the placement, or "" when the desktop has no such
// placement (the picture is then laid out beforehand and handed over with
// the desktop's stretching value, StretchedValue).
std::string_view ModeValue(DesktopMode desktop, Placement placement);

// The desktop's value for one picture spanned across all monitors, or ""
// when it has none.
std::string_view SpannedValue(DesktopMode desktop);

// The value that fills the screen with a picture laid out beforehand.
std::string_view StretchedValue(DesktopMode desktop);

}  // namespace sarvo::platform
