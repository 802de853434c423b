// Showing a bitmap file as the desktop wallpaper.
#pragma once

#include <string>

namespace sarvo::platform {

// Makes the bitmap file at `path` the desktop wallpaper for this user, with
// the placement held in the registry store ("Control Panel\Desktop"
// "TileWallpaper"/"WallpaperStyle"), and records it there as "Wallpaper";
// the empty path removes the wallpaper. Applying the same path again shows
// the file's new content. Returns false and fills `why` when the desktop did
// not take it.
bool ApplyWallpaper(const std::string& path, std::string& why);

}  // namespace sarvo::platform
