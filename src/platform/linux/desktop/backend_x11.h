// The plain X11 wallpaper: the picture drawn into a pixmap that becomes the
// root window's background, published through the _XROOTPMAP_ID and
// ESETROOT_PMAP_ID root properties as other root-window setters do, so that
// pseudo-transparent programs and the next setter find it.
#pragma once

#include <string>

#include "core/pure/placement.h"
#include "desktop/backend.h"

namespace sarvo::platform {

// The root window: an X11 session (not Wayland, where the compositor draws
// the background) whose desktop does not cover the root with its own.
extern const DesktopBackend kX11RootBackend;

bool DetectX11Root(const Environment& environment);

}  // namespace sarvo::platform

namespace sarvo::platform::x11root {

// Shows the 24-bit BMP file at `path` on every monitor of the default screen
// of the display named by DISPLAY, laid out by `placement`. Returns false and
// fills `why` when the file cannot be shown or the display refuses.
bool Apply(const std::string& path, Placement placement, std::string& why);

// Removes the wallpaper: the root turns black and both properties go.
bool Clear(std::string& why);

}  // namespace sarvo::platform::x11root
