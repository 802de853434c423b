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
// beside it, and the temporary files of their writing), which belong to the
// bitmap and go with it. Whether they exist is not looked at; none where
// the desktop reads the bitmap itself.
std::vector<std::string> BitmapCopies(const std::string& bitmapPath);

}  // namespace sarvo::platform
