// The desktop backends of the wallpaper: an ordered list, and the rules that
// pick from it at run time.
//
// Each backend knows one way of showing a wallpaper (a desktop's settings
// store, its IPC, a helper program, the plain X11 root window) and owns its
// whole row in a file of its own: how it recognises its session, how it
// reaches the desktop (loading any library it needs only then), and how it
// shows and removes a wallpaper. Any step may decline; the next backend that
// fits the session is then tried. A desktop joins by adding its row to the
// list in desktop_backends.cpp, before the rows less specific than it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/pure/placement.h"
#include "desktop_session.h"

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

// The backends of this build, in detection order.
std::span<const DesktopBackend* const> DesktopBackends();

// The backends that may serve the session described by `environment`, in the
// order they are to be tried:
//   - with neither DISPLAY nor WAYLAND_DISPLAY there is no graphical session:
//     none;
//   - SARVO_DESKTOP_BACKEND, when set, names the one backend (letter case
//     aside); else `storedChoice`, the user's lasting choice kept in the
//     registry store (kStoredChoiceKey, kStoredChoiceValue), when not empty;
//   - otherwise every backend whose detection accepts the environment.
// Empty, with `why` naming the desktop and what the user can do, when none.
std::vector<const DesktopBackend*> CandidateBackends(const Environment& environment,
                                                     std::span<const DesktopBackend* const> backends,
                                                     std::string& why, std::string_view storedChoice = {});

// Tries the candidates in order: connect, then `step` (apply or clear),
// until one succeeds, and returns it. When none does, returns nullptr and
// fills `why` with every candidate's reason, the desktop's name and the way
// to choose a backend by hand.
const DesktopBackend* ServeWith(const std::vector<const DesktopBackend*>& candidates,
                                const Environment& environment,
                                std::span<const DesktopBackend* const> backends,
                                const std::function<bool(const DesktopBackend&, std::string&)>& step,
                                std::string& why);

// Where the registry store keeps a lasting choice of backend, for setups the
// detection gets wrong.
inline constexpr const char* kStoredChoiceKey = "Software\\Sarvo Backdrop Changer";
inline constexpr const char* kStoredChoiceValue = "DesktopBackend";

// The environment variable that names a backend for one run.
inline constexpr std::string_view kBackendOverride = "SARVO_DESKTOP_BACKEND";

}  // namespace sarvo::platform
