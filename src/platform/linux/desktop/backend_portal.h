// The desktop portal's Wallpaper interface: the last resort on a Wayland
// session that no other backend serves. It has no placement and cannot
// remove a wallpaper.
#pragma once

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kPortalBackend;

}  // namespace sarvo::platform
