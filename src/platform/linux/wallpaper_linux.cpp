// placeholder: to be written
#include "wallpaper.h"
namespace sarvo::platform { bool ApplyWallpaper(const std::string&, std::string& why) { why = "no backend yet"; return false; } }
