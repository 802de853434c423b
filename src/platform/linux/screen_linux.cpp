// The primary monitor, as Windows reports its screen size. On a Wayland
// session only the compositor knows its outputs, so Qt (which is loaded for
// the window anyway) asks it; on X11 RandR names the primary monitor, and
// the first one stands in when none is marked primary.
#include "platform/screen.h"

// Before Xlib, whose macro None would clash with the window model's names.
#include "qt/loader.h"

#include "x11_linux.h"

namespace sarvo::platform {

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

}  // namespace sarvo::platform
