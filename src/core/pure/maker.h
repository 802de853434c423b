// Who makes the suite: the address of the project's web page and the rights
// notice, shown in the settings tool's and the uninstaller's windows.
#pragma once

namespace sarvo {

inline constexpr const char* kMakerAddress = "https://sarvo-backdrop-changer.example.org/";
inline constexpr const char* kMakerNotice = "Copyright (C) 2005-2026 Sarvo Backdrop Changer developers";

}  // namespace sarvo
