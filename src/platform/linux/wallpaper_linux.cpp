// Applying the wallpaper on Linux. Windows reads the placement pair and
// records the applied path itself; here the registry store plays that part:
// the pair is read from it, the backends that fit the session are tried in
// turn, and only a wallpaper a desktop took is recorded as "Wallpaper".
#include "platform/wallpaper.h"

#include <chrono>

#include "core/pure/placement.h"
#include "deadline_linux.h"
#include "desktop/backends.h"
#include "desktop/presenter.h"
#include "io_linux.h"
#include "platform/registry.h"
#include "xdg_linux.h"

namespace sarvo::platform {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

// How long a run waits for another to finish handing the desktop its
// picture: usually a fraction of a second, at worst as long as a desktop
// that is still starting is waited for.
constexpr auto kLockWait = std::chrono::seconds(15);

// One run at a time prepares a file for the desktop, hands it over, removes
// the earlier ones and rewrites the record of a helper it started: two runs
// at once would otherwise write one file together, remove the file the other
// just handed over, or both end the same swaybg. The lock is the suite's
// data folder itself, where the handed files lie, so there is no lock file
// to leave behind.
bool LockTheDesktop(linux_io::FolderLock& lock, std::string& why) {
    const std::string folder = linux_xdg::DataHome() + "/" + linux_xdg::kSuiteFolder;
    if (!linux_xdg::MakeFolders(folder)) {
        why = "cannot make the folder " + folder;
        return false;
    }
    if (lock.Acquire(folder, kLockWait, why)) return true;
    why = "the wallpaper is being changed by another run: " + why;
    return false;
}

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
    {
        // Let go before the store is written: the store takes a lock of its
        // own, this very one where the data and configuration homes are one.
        linux_io::FolderLock lock;
        if (!LockTheDesktop(lock, why)) return false;
        std::string shown;
        RegistryReadString(kDesktopKey, "Wallpaper", shown);
        const Placement placement = StoredPlacement();
        const auto step = [&](const DesktopBackend& backend, std::string& reason) {
            return path.empty() ? backend.clear(reason) : backend.apply(path, placement, reason);
        };
        if (ServeWith(candidates, environment, DesktopBackends(), step, why) == nullptr) return false;
        // The copies handed to the desktop are of no use without a wallpaper.
        if (path.empty() && !shown.empty()) presenter::RemoveHanded(shown);
    }
    why.clear();
    if (!RegistryWriteString(kDesktopKey, "Wallpaper", path))
        why = "the wallpaper is shown, but it could not be recorded as \"Wallpaper\" in the registry store";
    return true;
}

std::vector<std::string> BitmapCopies(const std::string& bitmapPath) { return presenter::HandedFiles(bitmapPath); }

// The store's "Wallpaper" is only what the suite applied: without it the
// desktop may well show a wallpaper of the user's own choice.
bool StoredWallpaperIsTheDesktops() { return false; }

}  // namespace sarvo::platform
