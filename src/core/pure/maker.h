// Who makes the suite: the address of the project's web page and the rights
// notice, shown in the settings tool's and the uninstaller's windows.
#pragma once

namespace sarvo {

inline constexpr const char* kMakerAddress = "https://sarvo-backdrop-changer.example.org/";
// One line of the windows' width (about 265 pixels in a 9-point Gothic).
inline constexpr const char* kMakerNotice = "Copyright (C) 2005-2026 Sarvo developers";

}  // namespace sarvo
