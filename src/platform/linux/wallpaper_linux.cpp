// Applying the wallpaper on Linux. Windows reads the placement pair and
// records the applied path itself; here the registry store plays that part:
// the pair is read from it, the backends that fit the session are tried in
// turn, and only a wallpaper a desktop took is recorded as "Wallpaper".
#include "platform/wallpaper.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "core/pure/placement.h"
#include "deadline_linux.h"
#include "desktop/backends.h"
#include "desktop/presenter.h"
#include "io_linux.h"
#include "platform/files.h"
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
        why = "フォルダを作成できませんでした：" + folder;
        return false;
    }
    switch (lock.Acquire(folder, kLockWait, why)) {
        case linux_io::FolderLock::Outcome::Held: return true;
        case linux_io::FolderLock::Outcome::Busy: why = "ほかの実行が壁紙を変更しています。" + why; break;
        case linux_io::FolderLock::Outcome::NoFolder: break;
    }
    return false;
}

Placement StoredPlacement() {
    std::string tile, style;
    RegistryReadString(kDesktopKey, "TileWallpaper", tile);
    RegistryReadString(kDesktopKey, "WallpaperStyle", style);
    return PlacementFromValues(tile, style);
}

// The bitmap shown spanned last is remembered by its file's identity
// (device, inode, size, modification time) in $XDG_STATE_HOME: any new
// bitmap is a new file (it is renamed into place), so a bitmap written
// since, by a run with one picture, never passes for the spanned one.
std::string SpannedMark() { return linux_xdg::StateHome() + "/" + linux_xdg::kSuiteFolder + "/spanned"; }

std::string Identity(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return "";
    std::ostringstream identity;
    identity << st.st_dev << ' ' << st.st_ino << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.'
             << st.st_mtim.tv_nsec << '\n'
             << path << '\n';
    return identity.str();
}

bool ShownSpanned(const std::string& path) {
    std::ifstream mark(SpannedMark(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(mark)), std::istreambuf_iterator<char>());
    return !text.empty() && text == Identity(path);
}

// Only what a later apply of the same file shows depends on it, so a mark
// that cannot be written is let go.
void MarkSpanned(const std::string& path) {
    const std::string identity = Identity(path);
    if (identity.empty() || !linux_xdg::MakeFolders(linux_xdg::StateHome() + "/" + linux_xdg::kSuiteFolder)) return;
    FileReplacement mark(SpannedMark(), Durability::Remakable);
    mark.Reserve(identity.size());
    mark.WriteAt(0, reinterpret_cast<const unsigned char*>(identity.data()), identity.size());
    std::string ignored;
    mark.Commit(ignored);
}

std::vector<const DesktopBackend*> Candidates(const Environment& environment, std::string& why) {
    std::string storedChoice;
    RegistryReadString(kStoredChoiceKey, kStoredChoiceValue, storedChoice);
    return CandidateBackends(environment, DesktopBackends(), why, storedChoice);
}

}  // namespace

struct WallpaperChange::Hold {
    linux_io::FolderLock lock;
};

WallpaperChange::WallpaperChange() : hold_(std::make_unique<Hold>()) {}

WallpaperChange::~WallpaperChange() = default;

bool WallpaperChange::Begin(std::string& why) { return LockTheDesktop(hold_->lock, why); }

bool WallpaperAvailable(std::string& why) {
    const linux_deadline::Step timed("壁紙を表示できるかの確認");
    const Environment environment = ProcessEnvironment();
    const auto candidates = Candidates(environment, why);
    if (candidates.empty()) return false;
    return ServeWith(candidates, environment, DesktopBackends(),
                     [](const DesktopBackend&, std::string&) { return true; }, why) != nullptr;
}

namespace {

// Shows `path` (the empty path removes the wallpaper) spanned, or with the
// stored placement unless the file is the one last shown spanned.
bool Apply(const std::string& path, bool spanned, std::string& why) {
    const linux_deadline::Step timed(path.empty() ? "壁紙の削除" : "壁紙の表示");
    why.clear();
    const Environment environment = ProcessEnvironment();
    const auto candidates = Candidates(environment, why);
    if (candidates.empty()) return false;
    {
        WallpaperChange change;
        if (!change.Begin(why)) return false;
        std::string shown;
        RegistryReadString(kDesktopKey, "Wallpaper", shown);
        const Placement placement =
            spanned || (!path.empty() && ShownSpanned(path)) ? Placement::Span : StoredPlacement();
        const auto step = [&](const DesktopBackend& backend, std::string& reason) {
            return path.empty() ? backend.clear(reason) : backend.apply(path, placement, reason);
        };
        if (ServeWith(candidates, environment, DesktopBackends(), step, why) == nullptr) return false;
        if (spanned) MarkSpanned(path);
        // The copies handed to the desktop are of no use without a wallpaper.
        if (path.empty() && !shown.empty()) presenter::RemoveHanded(shown);
    }
    why.clear();
    if (!RegistryWriteString(kDesktopKey, "Wallpaper", path))
        why = "レジストリに「Wallpaper」を書き込めませんでした。";
    return true;
}

}  // namespace

bool ApplyWallpaper(const std::string& path, std::string& why) { return Apply(path, false, why); }

bool ApplySpannedWallpaper(const std::string& path, std::string& why) { return Apply(path, true, why); }

std::vector<std::string> BitmapCopies(const std::string& bitmapPath) { return presenter::HandedFiles(bitmapPath); }

// The store's "Wallpaper" is only what the suite applied: without it the
// desktop may well show a wallpaper of the user's own choice.
bool StoredWallpaperIsTheDesktops() { return false; }

}  // namespace sarvo::platform
