// Composing the screen image of a wallpaper: the picture laid out on every
// monitor of the screen by a placement, as 32-bit pixels 0x00RRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/pure/bitmap.h"
#include "core/pure/placement.h"

namespace sarvo {

// Read-only rows of blue-green-red pixels, wherever they live (a Bitmap in
// memory, or a bitmap file mapped from disk).
struct BgrPicture {
    const unsigned char* top = nullptr;  // first byte of the top row
    std::ptrdiff_t rowStep = 0;          // bytes from one row to the row below it
    int width = 0;
    int height = 0;

    const unsigned char* Row(int y) const { return top + y * rowStep; }
};

// The rows of `bitmap`; valid while the bitmap is.
BgrPicture PictureOf(const Bitmap& bitmap);

// One monitor's rectangle on the screen, in pixels.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// The smallest rectangle that holds every monitor of positive size; empty
// (all zero) when there is none. Monitors may lie at negative positions.
ScreenRect DesktopArea(std::span<const ScreenRect> monitors);

// Where a picture `pictureSize` pixels long lies on a side `screenSize`
// pixels long when centred: its offset, rounded towards minus infinity, so
// that an odd pixel left over goes right (or below), and a picture larger
// than the side is cut one pixel more on the left (or top).
int CentredOffset(int screenSize, int pictureSize);

// The picture pixel shown at `local` on a side `screenSize` pixels long when
// a side `pictureSize` pixels long is stretched over it: the one under the
// centre of the screen pixel.
int NearestSource(int local, int screenSize, int pictureSize);

// Fills `out` with rows firstRow .. firstRow + rowCount - 1 of a screen
// `screenWidth` pixels wide (rowCount * screenWidth pixels, row after row).
// Each monitor shows the whole picture by itself, as a desktop does:
//   Centre   the picture centred on black; a picture larger than the monitor
//            is cut on both sides (an odd pixel left over goes right/below);
//   Tile     repeated from the monitor's top-left corner;
//   Stretch  scaled to the monitor, nearest pixel;
//   Span     one picture for the desktop area (DesktopArea of the monitors)
//            at its own size from the area's top-left corner, each monitor
//            showing its own part (a bitmap made with a picture a monitor).
// Where monitors overlap, the later one in the list wins. Pixels outside
// every monitor, and everything for an empty picture, are black. Rows can be
// composed in bands of any size with the same result as all at once.
void ComposeRows(const BgrPicture& picture, Placement placement,
                 std::span<const ScreenRect> monitors, int screenWidth, int firstRow,
                 int rowCount, std::uint32_t* out);

}  // namespace sarvo
