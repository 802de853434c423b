// Applying the wallpaper on Linux. Windows reads the placement pair and
// records the applied path itself; here the registry store plays that part:
// the pair is read from it, the chosen desktop backend shows the file, and
// only a wallpaper the desktop took is recorded as "Wallpaper".
#include "platform/wallpaper.h"

#include "core/pure/placement.h"
#include "desktop_backends.h"
#include "platform/registry.h"

namespace sarvo::platform {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

Placement StoredPlacement() {
    std::string tile, style;
    RegistryReadString(kDesktopKey, "TileWallpaper", tile);
    RegistryReadString(kDesktopKey, "WallpaperStyle", style);
    return PlacementFromValues(tile, style);
}

}  // namespace

bool ApplyWallpaper(const std::string& path, std::string& why) {
    std::string storedChoice;
    RegistryReadString(kStoredChoiceKey, kStoredChoiceValue, storedChoice);
    const DesktopBackend* backend =
        ChooseDesktopBackend(ProcessEnvironment(), DesktopBackends(), why, storedChoice);
    if (backend == nullptr) return false;
    std::string reason;
    const bool shown = path.empty() ? backend->clear(reason)
                                    : backend->apply(path, StoredPlacement(), reason);
    if (!shown) {
        why = std::string(backend->name) + ": " + reason;
        return false;
    }
    if (!RegistryWriteString(kDesktopKey, "Wallpaper", path)) {
        why = "the wallpaper is shown, but it could not be recorded in the registry store";
        return false;
    }
    return true;
}

}  // namespace sarvo::platform
