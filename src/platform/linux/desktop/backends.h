// The desktop backends of the wallpaper: an ordered list, and the rules that
// pick from it at run time.
//
// A desktop joins by adding its row (backend.h) to the list in backends.cpp,
// before the rows less specific than it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/backend.h"

namespace sarvo::platform {

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
