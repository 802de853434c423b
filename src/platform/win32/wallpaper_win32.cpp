// The wallpaper through SystemParametersInfoA: Windows shows the bitmap with
// the placement in "Control Panel\Desktop", records the path there as
// "Wallpaper" and tells every window. Applying the same path again makes
// Windows read the file anew.
#include <windows.h>

#include <vector>

#include "ansi_win32.h"
#include "platform/wallpaper.h"

namespace sarvo::platform {

// The desktop is always there to show the wallpaper on Windows.
bool WallpaperAvailable(std::string& why) {
    why.clear();
    return true;
}

bool ApplyWallpaper(const std::string& path, std::string& why) {
    std::string aPath;
    if (!win32::ToAnsi(path, aPath)) {
        why = path + ": the name cannot be written in this system's code page";
        return false;
    }
    std::vector<char> buffer(aPath.begin(), aPath.end());
    buffer.push_back('\0');
    if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(),
                               SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE)) {
        why = win32::SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

// Windows reads the bitmap itself.
std::vector<std::string> BitmapCopies(const std::string&) { return {}; }

// Windows records every wallpaper as "Wallpaper", whoever set it.
bool StoredWallpaperIsTheDesktops() { return true; }

}  // namespace sarvo::platform
