// Applying the wallpaper on Linux. Windows reads the placement pair and
// records the applied path itself; here the registry store plays that part:
// the pair is read from it, the backends that fit the session are tried in
// turn, and only a wallpaper a desktop took is recorded as "Wallpaper".
#include "platform/wallpaper.h"

#include "core/pure/placement.h"
#include "deadline_linux.h"
#include "desktop/backends.h"
#include "platform/registry.h"
#include "desktop/presenter.h"

namespace sarvo::platform {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

Placement StoredPlacement() {
    std::string tile, style;
    RegistryReadString(kDesktopKey, "TileWallpaper", tile);
    RegistryReadString(kDesktopKey, "WallpaperStyle", style);
    return PlacementFromValues(tile, style);
}

std::vector<const DesktopBackend*> Candidates(const Environment& environment, std::string& why) {
    std::string storedChoice;
    RegistryReadString(kStoredChoiceKey, kStoredChoiceValue, storedChoice);
    return CandidateBackends(environment, DesktopBackends(), why, storedChoice);
}

}  // namespace

bool WallpaperAvailable(std::string& why) {
    const linux_deadline::Step timed("asking the desktop whether it can show a wallpaper");
    const Environment environment = ProcessEnvironment();
    const auto candidates = Candidates(environment, why);
    if (candidates.empty()) return false;
    return ServeWith(candidates, environment, DesktopBackends(),
                     [](const DesktopBackend&, std::string&) { return true; }, why) != nullptr;
}

bool ApplyWallpaper(const std::string& path, std::string& why) {
    const linux_deadline::Step timed(path.empty() ? "removing the wallpaper" : "showing the wallpaper");
    why.clear();
    const Environment environment = ProcessEnvironment();
    const auto candidates = Candidates(environment, why);
    if (candidates.empty()) return false;
    std::string shown;
    RegistryReadString(kDesktopKey, "Wallpaper", shown);
    const Placement placement = StoredPlacement();
    const auto step = [&](const DesktopBackend& backend, std::string& reason) {
        return path.empty() ? backend.clear(reason) : backend.apply(path, placement, reason);
    };
    if (ServeWith(candidates, environment, DesktopBackends(), step, why) == nullptr) return false;
    why.clear();
    // The copies handed to the desktop are of no use without a wallpaper.
    if (path.empty() && !shown.empty()) presenter::RemoveHanded(shown);
    if (!RegistryWriteString(kDesktopKey, "Wallpaper", path))
        why = "the wallpaper is shown, but it could not be recorded as \"Wallpaper\" in the registry store";
    return true;
}

std::vector<std::string> BitmapCopies(const std::string& bitmapPath) { return presenter::HandedFiles(bitmapPath); }

}  // namespace sarvo::platform
