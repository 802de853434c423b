// Who makes the suite: the address of the project's web page and the rights
// notice, shown in the settings tool's and the uninstaller's windows.
#pragma once

namespace sarvo {

// Both fit on one line of the narrower window (about 250 pixels in a 9-point
// Gothic): the address takes about 210, the notice about 245.
inline constexpr const char* kMakerAddress = "https://sarvo-backdrop.example.org/";
inline constexpr const char* kMakerNotice = "Copyright (C) 2005-2026 Sarvo developers";

}  // namespace sarvo
