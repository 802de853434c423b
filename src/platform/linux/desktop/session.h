// What the session's environment says about the desktop: the names it gives
// itself and the marks its programs leave. Pure functions of an environment
// map, so that detection is tested with literal environments.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sarvo::platform {

using Environment = std::map<std::string, std::string, std::less<>>;

// The variable's value; empty when it is unset.
std::string_view Value(const Environment& environment, std::string_view name);

std::string Lower(std::string_view text);

// The names the session gives its desktop, in lower case: the tokens of
// XDG_CURRENT_DESKTOP (a colon-separated list such as "ubuntu:GNOME"), or,
// when that is empty, of XDG_SESSION_DESKTOP, or else of DESKTOP_SESSION.
std::vector<std::string> DesktopNames(const Environment& environment);

// True when one of the desktop's names is one of `names` (lower case).
bool NamesAny(const Environment& environment, std::initializer_list<std::string_view> names);

// True when one of these variables is set to something.
bool AnySet(const Environment& environment, std::initializer_list<std::string_view> variables);

// A Wayland session: WAYLAND_DISPLAY is set, or the session type says so.
bool IsWaylandSession(const Environment& environment);

// True when the environment names a desktop that draws its own background
// (by its names or by the marks its session leaves), as opposed to a bare
// window manager on X11 or an unknown Wayland compositor.
bool NamesKnownDesktop(const Environment& environment);

// How messages name the session's desktop: "GNOME", or "an X11 session
// without a desktop name", "a Wayland session without a desktop name".
std::string DescribeDesktop(const Environment& environment);

// This process's environment.
Environment ProcessEnvironment();

}  // namespace sarvo::platform
