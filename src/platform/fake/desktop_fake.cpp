#include "platform/fake/fake_desktop.h"

#include "platform/keys.h"
#include "platform/program.h"
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

bool WallpaperAvailable(std::string& why) {
    auto& d = fake::TheDesktop();
    why = d.available ? "" : d.unavailable;
    return d.available;
}

bool ApplyWallpaper(const std::string& path, std::string& why) {
    auto& d = fake::TheDesktop();
    if (!d.applySucceeds) {
        why = d.applyFailure;
        return false;
    }
    d.applied.push_back(path);
    why = d.applyNote;
    return true;
}

}  // namespace sarvo::platform
