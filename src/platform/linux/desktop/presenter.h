// What a desktop is handed in place of the suite's bitmap.
//
// The bitmap keeps its one fixed name, but desktops differ in what they can
// read and how they notice a new picture:
//   - many read pictures through libraries built without a BMP reader, so
//     they get a PNG copy;
//   - some cache the picture by its path and never look at the file again,
//     GNOME keeps the pictures it loaded by their names for a while, and
//     every desktop should go on showing the old picture until the new one
//     is accepted; so each picture is handed under a name no file had
//     before (the bitmap's stem and a time stamp), and the files handed
//     before are removed only once the desktop has taken the new one (the
//     last of them one hand-over later);
//   - some lack a placement (centred on hyprpaper, tiled on Plasma 6.6), and
//     encoding a PNG of a 24-megapixel photo takes far too long: the
//     picture is then laid out on a screen-sized canvas by our composer and
//     handed over with the desktop's stretching mode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/pure/compose.h"
#include "core/pure/placement.h"
#include "desktop/placement.h"
#include "platform/screen.h"

namespace sarvo::platform::presenter {

enum class Format {
    Bitmap,  // the desktop reads the suite's BMP files
    Png,     // the desktop needs a PNG
};

// Pictures with more pixels than this are laid out on a screen-sized canvas
// before they are encoded as PNG.
inline constexpr long long kLargestPngPixels = 3840LL * 2160LL;

struct Handed {
    std::string path;  // the file to hand the desktop
    std::string mode;  // the desktop's placement value (desktop_placement.h)
};

// Makes the file for `desktop` to show `bitmap` with `placement`, beside the
// bitmap. `screenWidth`/`screenHeight` is the size of the canvas for a
// picture laid out beforehand; 0 asks the screen service for the primary
// monitor's size.
// Returns false and fills `why` when the file cannot be made.
bool Prepare(const std::string& bitmap, Placement placement, DesktopMode desktop, Format format,
             Handed& handed, std::string& why, int screenWidth = 0, int screenHeight = 0);

// After the desktop took `handed`: removes the files handed before it, all
// but those of the hand-over just before (a picture, or every output's
// part), which the desktop may still be loading when runs follow each other
// quickly; the next hand-over removes them.
void Keep(const std::string& bitmap, const Handed& handed);

// After the desktop refused `handed`: removes it, keeping the earlier one.
void Discard(const Handed& handed);

// After the wallpaper was removed: removes every file handed for `bitmap`.
void RemoveHanded(const std::string& bitmap);

// The files handed for `bitmap` that are in its folder now, the outputs'
// parts among them. The temporary files they are written under carry the
// suite's mark, and go as leftovers (RemoveTemporaryLeftovers in
// platform/files.h).
std::vector<std::string> HandedFiles(const std::string& bitmap);

// One output's part of a bitmap composed for the whole desktop area.
struct HandedPart {
    std::string output;  // the monitor's name (DesktopMonitor::name)
    ScreenRect rect;     // and its place on the desktop
    Handed handed;       // its file (PNG), and the desktop's stretching value
};

// For desktops that take a picture per output: for each monitor the monitor
// service lists, a PNG of its part of `bitmap`, which covers the desktop
// area (the monitors' bounding box), the monitor's own size, so that the
// desktop's stretching shows it as it is; black where the bitmap does not
// reach (monitors changed since it was made). Named as every handed file,
// with no name any file had before, each output's with its number:
// "<stem>-<stamp>-1.png", "-2.png", ... for one stamp.
// False, with `why`, when the monitors are unknown or a file cannot be made;
// none of the new files is then left.
bool PrepareParts(const std::string& bitmap, DesktopMode desktop, std::vector<HandedPart>& parts, std::string& why);
// The same for the monitors `monitors`.
bool PrepareParts(const std::string& bitmap, DesktopMode desktop, const std::vector<DesktopMonitor>& monitors,
                  std::vector<HandedPart>& parts, std::string& why);

// After the desktop took `parts`: as Keep, for every output's part at once.
// After it refused them: removes them.
void KeepParts(const std::string& bitmap, const std::vector<HandedPart>& parts);
void DiscardParts(const std::vector<HandedPart>& parts);

// Whether the file name `name` is one a picture is handed under for a
// bitmap whose name without extension is `stemName`: "<stem>-" and a stamp
// of sixteen lowercase hexadecimal digits, then ".png" or ".bmp", or an
// output's number and ".png" ("-2.png"); or the names of earlier versions,
// "a" or "b" in place of the stamp.
bool IsHandedName(std::string_view stemName, std::string_view name);

// A black picture of one pixel (PNG), for desktops that cannot show "no
// wallpaper" by themselves: made in $XDG_STATE_HOME on first use. Empty,
// with `why`, when it cannot be made.
std::string BlackPicture(std::string& why);

// "file://" and the path, each byte outside the unreserved characters and
// "/" written as %XX: the form desktops store pictures by.
std::string FileUri(const std::string& path);

}  // namespace sarvo::platform::presenter
