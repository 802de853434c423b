// Showing a bitmap file as the desktop wallpaper.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sarvo::platform {

// One change of the wallpaper at a time across the suite's programs, held
// from replacing the bitmap through showing it and recording the picture, so
// that two runs at once (a log-on start and one by hand, a delete-skip during
// a run) leave the bitmap, the desktop and the record naming one picture.
// ApplyWallpaper takes it by itself for its own steps; a program that holds
// it around them may: within one process the hold is shared.
class WallpaperChange {
public:
    WallpaperChange();
    WallpaperChange(const WallpaperChange&) = delete;
    WallpaperChange& operator=(const WallpaperChange&) = delete;
    ~WallpaperChange();

    // Waits, for a bounded time, until no other run is changing the
    // wallpaper, and holds the change until the object goes. False, with
    // `why`, when another run kept it all that time.
    bool Begin(std::string& why);

private:
    struct Hold;
    std::unique_ptr<Hold> hold_;
};

// Whether this session has a way of showing the wallpaper now. Callers ask
// before they replace the bitmap, so that a session where nothing can show
// it keeps its bitmap. False fills `why` with the desktop found and what the
// user can do.
bool WallpaperAvailable(std::string& why);

// Makes the bitmap file at `path` the desktop wallpaper for this user, with
// the placement held in the registry store ("Control Panel\Desktop"
// "TileWallpaper"/"WallpaperStyle"), and records it there as "Wallpaper";
// the empty path removes the wallpaper. Applying the same path again shows
// the file's new content. Returns false and fills `why` when the desktop did
// not take it. Returns true when it did; `why` is then empty, or says what
// else went wrong (the path could not be recorded as "Wallpaper").
bool ApplyWallpaper(const std::string& path, std::string& why);

// Makes the bitmap file at `path`, composed for the whole desktop area (the
// monitors' bounding box, laid out with a picture per monitor), the
// wallpaper: spanned across the monitors, each showing its own part. Records
// it and reports as ApplyWallpaper does. ApplyWallpaper of the same file
// shows it spanned again for as long as the file is unchanged, so that the
// settings tool's new placement or its wallpaper switched back on keeps it
// whole.
bool ApplySpannedWallpaper(const std::string& path, std::string& why);

// Every file the wallpaper may have been given in place of the bitmap at
// `bitmapPath` (copies in another format or under changing names, made
// beside it), which belong to the bitmap and go with it, or with the
// wallpaper. Whether they exist is not looked at; none where the desktop
// reads the bitmap itself. The temporary files of their writing are the
// file service's leftovers (RemoveTemporaryLeftovers).
std::vector<std::string> BitmapCopies(const std::string& bitmapPath);

// Whether the store's "Wallpaper" ("Control Panel\Desktop") names whatever
// the desktop shows, so that an empty or missing value means no wallpaper
// at all (Windows records every wallpaper there, whoever set it). False
// where the store records only what the suite applied: there, no value
// means none of the suite's, and the desktop may show the user's own.
bool StoredWallpaperIsTheDesktops();

}  // namespace sarvo::platform
