// The changer's record of the picture each monitor showed at its last run
// with a picture per monitor, so that the next run does not show a monitor
// the same picture again. A file of the changer's own beside the bitmap:
// the settings file keeps only "WallPaper", the primary monitor's picture.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/pure/compose.h"

namespace sarvo {

// The record's file name, in the folder of the suite's bitmap.
inline constexpr const char* kMonitorRecordName = "SarvoChangerMonitors.txt";

struct MonitorPicture {
    std::string name;  // the system's name for the monitor ("HDMI-1"); may be empty
    ScreenRect rect;   // its place on the desktop
    std::string picture;
};

// The record's text: a line of comment, then a line a monitor: its name,
// x, y, width and height, then the picture's path, separated by tabs (the
// path last, so that it may hold tabs). Tabs and line breaks in a name are
// written as blanks; a picture whose path holds a line break is left out.
std::string FormatMonitorRecord(const std::vector<MonitorPicture>& monitors);

// The monitors of a record's text; lines that are not a monitor's are
// skipped, so a damaged record costs only what it cannot tell.
std::vector<MonitorPicture> ParseMonitorRecord(std::string_view text);

// The picture the record gives the monitor `name` at `rect`: the one of the
// same name when both have a name, else the one at the same place and size;
// "" when none is.
std::string LastPictureOn(const std::vector<MonitorPicture>& record, const std::string& name, const ScreenRect& rect);

}  // namespace sarvo
