// The wallpaper through SystemParametersInfoA: Windows shows the bitmap with
// the placement in "Control Panel\Desktop", records the path there as
// "Wallpaper" and tells every window. Applying the same path again makes
// Windows read the file anew.
#include <windows.h>

#include <vector>

#include "ansi_win32.h"
#include "platform/wallpaper.h"

namespace sarvo::platform {

namespace {

// Every program of the suite of this user's session meets at this mutex.
constexpr const char* kChangeMutex = "Local\\SarvoBackdropChanger.WallpaperChange";

// Another run holds the change only while it writes, shows and records one
// bitmap: a second or two.
constexpr DWORD kChangeWait = 15000;

}  // namespace

// A named mutex: it is let go by the system when its holder ends, and one
// thread may take it again while it holds it.
struct WallpaperChange::Hold {
    HANDLE mutex = nullptr;
    bool held = false;
};

WallpaperChange::WallpaperChange() : hold_(std::make_unique<Hold>()) {}

WallpaperChange::~WallpaperChange() {
    if (hold_->held) ReleaseMutex(hold_->mutex);
    if (hold_->mutex != nullptr) CloseHandle(hold_->mutex);
}

bool WallpaperChange::Begin(std::string& why) {
    hold_->mutex = CreateMutexA(nullptr, FALSE, kChangeMutex);
    if (hold_->mutex == nullptr) {
        why = win32::SystemErrorText(GetLastError());
        return false;
    }
    // A holder that ended without letting go leaves the mutex abandoned,
    // which hands it on all the same.
    const DWORD waited = WaitForSingleObject(hold_->mutex, kChangeWait);
    hold_->held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (!hold_->held) why = "ほかの実行が壁紙を変更しています（15秒待ちました）。";
    return hold_->held;
}

// The desktop is always there to show the wallpaper on Windows.
bool WallpaperAvailable(std::string& why) {
    why.clear();
    return true;
}

bool ApplyWallpaper(const std::string& path, std::string& why) {
    std::string aPath;
    if (!win32::ToAnsi(path, aPath)) {
        why = path + ": " + win32::SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
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

// Never asked for: Windows lists its primary monitor alone (screen.h), so
// the changer composes no bitmap to span. Shown as any other would be.
bool ApplySpannedWallpaper(const std::string& path, std::string& why) { return ApplyWallpaper(path, why); }

// Windows reads the bitmap itself.
std::vector<std::string> BitmapCopies(const std::string&) { return {}; }

// Windows records every wallpaper as "Wallpaper", whoever set it.
bool StoredWallpaperIsTheDesktops() { return true; }

}  // namespace sarvo::platform
