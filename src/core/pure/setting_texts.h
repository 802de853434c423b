// Texts the settings tool forms from numbers, names and the clock.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace sarvo {

// The screen-size caption: width, " x ", height, " ピクセル", numbers
// unpadded ("1024 x 768 ピクセル").
std::string ScreenSizeCaption(int width, int height);

// The wallpaper-size caption: each number right-aligned in four characters
// (longer numbers whole), " x " between them, then " ピクセル"
// (" 800 x  600 ピクセル"). A negative height, which is how a bitmap stored
// top-down records it, shows as its absolute value.
std::string WallpaperSizeCaption(std::int32_t width, std::int32_t height);

// The name offered for a picture whose own name is taken: "Wallpaper", then
// the date and time as yyyymmdd and hhmmss (24-hour clock), with leading
// zeros and no extension ("Wallpaper20051111143826").
std::string ProposedWallpaperName(const std::tm& when);

// The name `name` takes as its `number`th copy (from 2): " (number)" goes
// before the extension ("sea.jpg" gives "sea (2).jpg", "README" gives
// "README (2)"). A name's leading dot starts no extension.
std::string NumberedName(std::string_view name, int number);

// The log-on entry that starts `program`: its path in double quotes where
// the entry is a command line read with '\' paths (Windows), so that a path
// with blanks names one program; the bare path elsewhere, where the store
// writes the entry in its own format and quotes it itself.
std::string StartUpEntry(std::string_view program, char pathSeparator);

}  // namespace sarvo
