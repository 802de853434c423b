#include "platform/fake/desktop_fake.h"

#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/process.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/wallpaper.h"

namespace sarvo::fake {

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

void ResetDesktop() { TheDesktop() = Desktop{}; }

}  // namespace sarvo::fake

namespace sarvo::platform {

bool IsKeyDown(Key key) {
    auto& d = fake::TheDesktop();
    d.keysProbed.push_back(key);
    switch (key) {
        case Key::Space: return d.spaceDown;
        case Key::D: return d.dDown;
        case Key::N: return d.nDown;
    }
    return false;
}

bool StartProgram(const std::string& program, const std::string& arguments, WindowStyle style,
                  std::string& why) {
    auto& d = fake::TheDesktop();
    if (!d.startSucceeds) {
        why = "cannot start " + program;
        return false;
    }
    d.started.push_back({program, arguments, style});
    return true;
}

struct WallpaperChange::Hold {};

WallpaperChange::WallpaperChange() : hold_(std::make_unique<Hold>()) {}

WallpaperChange::~WallpaperChange() = default;

bool WallpaperChange::Begin(std::string& why) {
    why.clear();
    return true;
}

bool WallpaperAvailable(std::string& why) {
    why.clear();
    return true;
}

bool ApplyWallpaper(const std::string& path, std::string& why) {
    auto& d = fake::TheDesktop();
    if (!d.applySucceeds) {
        why = d.applyFailure;
        return false;
    }
    d.applied.push_back(path);
    why.clear();
    return true;
}

bool ApplySpannedWallpaper(const std::string& path, std::string& why) {
    auto& d = fake::TheDesktop();
    if (!d.applySucceeds) {
        why = d.applyFailure;
        return false;
    }
    d.appliedSpanned.push_back(path);
    why.clear();
    return true;
}

std::vector<std::string> BitmapCopies(const std::string& bitmapPath) { return {bitmapPath + "-copy.png"}; }

bool StoredWallpaperIsTheDesktops() { return true; }  // as on Windows

bool OpenFolderWindow(const std::string&, std::string& why) {
    why.clear();
    return true;
}

bool OpenWebAddress(const std::string&, std::string& why) {
    why.clear();
    return true;
}

MenuResult PutIntoMenu(const std::vector<MenuEntry>& entries, std::string& why) {
    fake::TheDesktop().menu = entries;
    why.clear();
    return MenuResult::Written;
}

void RemoveFromMenu(const std::vector<MenuEntry>& entries, std::vector<std::string>& left) {
    auto& d = fake::TheDesktop();
    for (const MenuEntry& entry : entries) d.menuRemoved.push_back(entry.id);
    left.insert(left.end(), d.menuLeft.begin(), d.menuLeft.end());
}

bool PrimaryScreenSize(int& width, int& height) {
    const auto& d = fake::TheDesktop();
    width = d.screenWidth;
    height = d.screenHeight;
    return true;
}

std::vector<DesktopMonitor> DesktopMonitors() {
    const auto& d = fake::TheDesktop();
    if (!d.monitors.empty()) return d.monitors;
    return {{{0, 0, d.screenWidth, d.screenHeight}, true, ""}};
}

}  // namespace sarvo::platform
