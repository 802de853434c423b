// The swaybg processes that draw the background of this Wayland session.
//
// A compositor's configuration often starts a swaybg of the user's own
// ("exec swaybg -i ..."). sway draws the newest background surface under the
// older ones, so the picture the changer shows would stay hidden beneath it
// for good: once the changer's picture is up, the others are ended.
#pragma once

#include <string_view>

namespace sarvo::platform::swaybg {

// Whether a process whose environment is `environment` (NUL-separated
// "NAME=value" entries, as /proc/PID/environ holds them) draws on the
// Wayland display `display` below `runtimeDir`: its WAYLAND_DISPLAY and
// XDG_RUNTIME_DIR are those. One given a socket of its own (WAYLAND_SOCKET)
// was started by the compositor itself (sway's "output * bg") and is left
// to it.
bool OnDisplay(std::string_view environment, std::string_view display, std::string_view runtimeDir);

// Ends (SIGTERM) every swaybg of this user on this session's Wayland display
// but `keep` (0: none), as OnDisplay tells.
void EndOthers(int keep);

}  // namespace sarvo::platform::swaybg
