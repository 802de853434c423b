// One way of showing a wallpaper: a row of the backend table.
//
// Each backend knows one way of showing a wallpaper (a desktop's settings
// store, its IPC, a helper program, the plain X11 root window) and owns its
// whole row in a file of its own: how it recognises its session, how it
// reaches the desktop (loading any library it needs only then), and how it
// shows and removes a wallpaper. Any step may decline; the next backend that
// fits the session is then tried. Backends include only this header; the
// table (backends.h) is the one place that knows them all.
#pragma once

#include <string>
#include <string_view>

#include "core/pure/placement.h"
#include "desktop/session.h"

namespace sarvo::platform {

struct DesktopBackend {
    std::string_view name;
    // True when this backend serves the session described by the
    // environment (a pure function of it).
    bool (*detect)(const Environment& environment);
    // Reaches the desktop: loads what the backend needs and checks that the
    // desktop answers. False declines, with `why` saying what is missing and
    // what the user can do about it. Cheap enough to run before every apply.
    bool (*connect)(std::string& why);
    // Shows the 24-bit bitmap file with the placement; false and `why` when
    // the desktop did not take it.
    bool (*apply)(const std::string& bitmap, Placement placement, std::string& why);
    // Removes the wallpaper; false and `why` on failure.
    bool (*clear)(std::string& why);
};

}  // namespace sarvo::platform
