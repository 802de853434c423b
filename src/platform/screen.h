// The screen: the primary monitor's size, and every monitor's place.
#pragma once

#include <string>
#include <vector>

#include "core/pure/compose.h"

namespace sarvo::platform {

// The primary monitor's size in pixels. False when no screen can be asked
// (no display); the sizes are then 0.
bool PrimaryScreenSize(int& width, int& height);

struct DesktopMonitor {
    ScreenRect rect;    // its place and size on the desktop, in the desktop's own pixels
    bool primary = false;
    std::string name;   // the system's name for it ("HDMI-1", "HEADLESS-2"); may be empty
};

// The desktop's monitors in the system's order, exactly one of them marked
// primary (the first, where the system names none). Empty when no screen can
// be asked. Windows lists its primary monitor alone: there the one picture
// keeps covering the desktop as the system's own placement shows it.
std::vector<DesktopMonitor> DesktopMonitors();

}  // namespace sarvo::platform
