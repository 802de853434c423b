// The primary monitor, as Windows reports its screen size. On a Wayland
// session only the compositor knows its outputs, so Qt (which is loaded for
// the window anyway) asks it; on X11 RandR names the primary monitor, and
// the first one stands in when none is marked primary.
#include "platform/screen.h"

// Before Xlib, whose macro None would clash with the window model's names.
#include "qt_loader_linux.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace sarvo::platform {

namespace {

bool X11PrimaryScreenSize(int& width, int& height) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    const Window root = DefaultRootWindow(display);
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
    int event = 0, error = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        if (XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count)) {
            const XRRMonitorInfo* chosen = count > 0 ? &monitors[0] : nullptr;
            for (int i = 0; i < count; ++i)
                if (monitors[i].primary) chosen = &monitors[i];
            if (chosen != nullptr) {
                width = chosen->width;
                height = chosen->height;
            }
            XRRFreeMonitors(monitors);
        }
    }
    XCloseDisplay(display);
    return width > 0 && height > 0;
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
    if (displays.x11 && X11PrimaryScreenSize(width, height)) return true;
    width = height = 0;
    return false;
}

}  // namespace sarvo::platform
