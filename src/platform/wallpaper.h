// Showing a bitmap file as the desktop wallpaper.
#pragma once

#include <string>
#include <vector>

namespace sarvo::platform {

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
