// The desktops that keep their wallpaper in GSettings: the GNOME family
// (GNOME, Ubuntu, Unity, Budgie, Pantheon), Cinnamon and MATE, each with a
// schema of its own. Written in-process through GIO.
#pragma once

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kGnomeBackend;
extern const DesktopBackend kCinnamonBackend;
extern const DesktopBackend kMateBackend;

}  // namespace sarvo::platform
