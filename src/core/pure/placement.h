// How the wallpaper picture is laid on the screen, and how the desktop's
// pair of stored values ("TileWallpaper", "WallpaperStyle") selects it.
#pragma once

#include <string_view>

namespace sarvo {

enum class Placement { Centre, Tile, Stretch };

// The placement for the stored pair. The pairs that the settings tool writes
// are "0"/"0" centred, "1"/"0" tiled and "0"/"2" stretched. Values are read
// as numbers ("01" is 1, blanks around a number are allowed). For any other
// pair: a tile value of 1 wins, then a style of 2 stretches, and everything
// else - absent, empty or not a number included - is centred, the placement
// that never distorts or repeats the picture.
Placement PlacementFromValues(std::string_view tileWallpaper, std::string_view wallpaperStyle);

// "centre", "tile" or "stretch", for messages and logs.
std::string_view PlacementName(Placement placement);

}  // namespace sarvo
