// How the wallpaper picture is laid on the screen, and how the desktop's
// pair of stored values ("TileWallpaper", "WallpaperStyle") selects it.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

namespace sarvo {

// Span is no choice of the user's: it shows a bitmap composed for the whole
// desktop area (a picture per monitor) at its own size across the monitors.
enum class Placement { Centre, Tile, Stretch, Span };

// The placement for the stored pair. The pairs that the settings tool writes
// are "0"/"0" centred, "1"/"0" tiled and "0"/"2" stretched. Values are read
// as numbers ("01" is 1, blanks around a number are allowed). For any other
// pair: a tile value of 1 wins, then a style of 2 stretches, and everything
// else - absent, empty or not a number included - is centred, the placement
// that never distorts or repeats the picture.
Placement PlacementFromValues(std::string_view tileWallpaper, std::string_view wallpaperStyle);

// The settings tool's placement list, one row per item: 0 centred
// ("0", "0"), 1 tiled ("1", "0"), 2 stretched ("0", "2"). The item whose
// pair the stored values are, read as numbers as above; nothing for any
// other pair, absent or empty values included.
std::optional<int> PlacementListIndex(std::string_view tileWallpaper, std::string_view wallpaperStyle);

// The pair of texts ("TileWallpaper", "WallpaperStyle") written for list
// item `index`; nothing for an index outside 0 to 2.
std::optional<std::pair<const char*, const char*>> PlacementListValues(int index);

// "centre", "tile", "stretch" or "span", for messages and logs.
std::string_view PlacementName(Placement placement);

}  // namespace sarvo
