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

}  // namespace sarvo::platform
