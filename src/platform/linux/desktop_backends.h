// The desktop backends of the wallpaper, and the choice among them at run
// time.
//
// Each backend knows one way of showing a wallpaper (a desktop's own settings
// store, or the plain X11 root window). They sit in one ordered table: the
// first whose detection accepts the session's environment is used, unless
// SARVO_DESKTOP_BACKEND names one. A desktop joins by adding its row, before
// the rows that are less specific than it.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "core/pure/placement.h"

namespace sarvo::platform {

using Environment = std::map<std::string, std::string, std::less<>>;

struct DesktopBackend {
    std::string_view name;
    // True when this backend serves the session described by the environment.
    bool (*detect)(const Environment& environment);
    // Shows the bitmap file with the placement; false and `why` on failure.
    bool (*apply)(const std::string& path, Placement placement, std::string& why);
    // Removes the wallpaper; false and `why` on failure.
    bool (*clear)(std::string& why);
};

// The backends of this build, in detection order.
std::span<const DesktopBackend> DesktopBackends();

// Chooses from `backends` for the session described by `environment`:
//   - with neither DISPLAY nor WAYLAND_DISPLAY set there is no graphical
//     session, and nothing is chosen;
//   - SARVO_DESKTOP_BACKEND, when set, names the backend (letter case aside);
//   - else `storedChoice`, the user's lasting choice kept in the registry
//     store (kStoredChoiceKey, kStoredChoiceValue), when not empty;
//   - otherwise the first backend whose detection accepts the environment.
// Returns nullptr and fills `why` when nothing fits.
const DesktopBackend* ChooseDesktopBackend(const Environment& environment,
                                           std::span<const DesktopBackend> backends,
                                           std::string& why, std::string_view storedChoice = {});

// Where the registry store keeps a lasting choice of backend, for setups the
// detection gets wrong.
inline constexpr const char* kStoredChoiceKey = "Software\\Sarvo Backdrop Changer";
inline constexpr const char* kStoredChoiceValue = "DesktopBackend";

// Whether the plain root window can show the wallpaper: an X11 session (not
// Wayland, where the compositor draws the background) whose desktop, as
// XDG_CURRENT_DESKTOP names it, does not cover the root with its own.
bool DetectX11Root(const Environment& environment);

// This process's environment.
Environment ProcessEnvironment();

}  // namespace sarvo::platform
