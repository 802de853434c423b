// Drawing a picture for every monitor from the one catalogue: different
// pictures on different monitors, none on the monitor that showed it last
// time, and each of the monitor's own shape where the catalogue has one.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/pure/picture_header.h"

namespace sarvo {

enum class Shape { Landscape, Portrait, NearSquare };

// A side at most this many times the other still counts as near square:
// 1:1 and 6:5 pictures and monitors do, 5:4 and 4:3 are landscape or
// portrait.
inline constexpr double kNearSquareLimit = 1.2;

// The shape of a width x height picture or monitor (both positive).
Shape ShapeOf(int width, int height);

// The most picture headers read for one monitor. A monitor whose shape half
// the catalogue has gets one of its shape in all but 1 in 65,536 draws.
inline constexpr int kHeaderReadsPerMonitor = 16;

// One monitor to draw for.
struct MonitorDraw {
    int width = 0;
    int height = 0;
    // The picture it showed at the last run, or "" when none is known. Its
    // file name is avoided, in any folder, as the single picture's draw
    // avoids the previous one's.
    std::string lastPicture;
};

// Draws a position (0-based) of `files` for each monitor, in the monitors'
// order (so the first monitor's draw goes first; put the primary there):
//   - no position twice, and no file named as the monitor's last picture,
//     as long as the catalogue allows; when it does not, the last-picture
//     rule goes first, then the other;
//   - among the positions that pass, up to `headerReads` are taken at
//     random, without repeats, and the first whose size (`sizeOf`, which
//     reads a header; asked at most once a file in the whole draw) has the
//     monitor's shape wins; when none has, the first whose size could be
//     read, else the first taken;
// `next` yields uniform numbers in [0, 1); `separator` splits the paths.
// Every monitor gets a position when `files` is not empty; none is drawn
// otherwise.
std::vector<std::size_t> DrawForMonitors(const std::vector<std::string>& files,
                                         const std::vector<MonitorDraw>& monitors, char separator,
                                         const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf,
                                         const std::function<double()>& next,
                                         int headerReads = kHeaderReadsPerMonitor);

}  // namespace sarvo
