// The primary monitor's size in pixels, as GetSystemMetrics reports it (in
// physical pixels, since the programs declare themselves DPI aware).
#include <windows.h>

#include "platform/screen.h"

namespace sarvo::platform {

bool PrimaryScreenSize(int& width, int& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    if (width > 0 && height > 0) return true;
    width = height = 0;
    return false;
}

// The primary monitor alone: Windows' spanning style would replace the
// placement values the settings window reads, so a picture per monitor is
// not offered here.
std::vector<DesktopMonitor> DesktopMonitors() {
    int width = 0, height = 0;
    if (!PrimaryScreenSize(width, height)) return {};
    return {{{0, 0, width, height}, true, ""}};
}

}  // namespace sarvo::platform
