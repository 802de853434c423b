// Finding a display and loading the Qt module (qt/module.h) on the first
// thing that must be shown.
#pragma once

#include <string>

#include "qt/module.h"

namespace sarvo::platform::linux_qt {

// The displays this process can reach: a Wayland compositor (the socket
// WAYLAND_DISPLAY names) and an X server (DISPLAY).
struct Displays {
    bool wayland = false;
    bool x11 = false;
    std::string why;  // why a display that is set cannot be reached
    bool any() const { return wayland || x11; }
};

// How long a Wayland compositor may take to answer a first request.
inline constexpr int kCompositorAnswerMs = 5000;

// Looks once and remembers: displays do not come and go within one run.
const Displays& ReachableDisplays();

// The Qt platforms to try for `displays`, Wayland first: on a Wayland
// session Qt draws there, not through the X server the session may also
// offer. Null when the user chose one through QT_QPA_PLATFORM, which Qt
// then follows.
const char* QtPlatformsFor(const Displays& displays);

// The module's table, loaded and started on first use (and the outcome
// remembered). Null and `why` when there is no display, the module is not
// beside the program, or Qt cannot start.
const Entries* QtModule(std::string& why);

// Why nothing can be shown, for messages on standard error.
inline constexpr const char* kNoDisplay =
    "ディスプレイがありません（WAYLAND_DISPLAY と DISPLAY のどちらも、接続できるディスプレイを指していません）。";

}  // namespace sarvo::platform::linux_qt
