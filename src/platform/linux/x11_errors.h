// Protocol errors of Xlib, caught instead of fatal.
//
// Xlib hands every protocol error to one process-wide handler, and its
// default handler prints the error and exits the program. A wallpaper setter
// meets errors in normal use (the previous wallpaper's owner is already gone,
// the server is out of memory for a large pixmap), so the suite installs a
// handler that only records the error; callers sync and look.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace sarvo::platform::x11 {

// Installs the recording handler (once per process; later calls do nothing).
void InstallErrorHandler();

// Forgets the errors recorded so far.
void ForgetErrors();

// Waits until the server has handled every request sent on `display`, then
// tells whether any of them failed since the last ForgetErrors/TakeError: on
// failure fills `why` with the first error (its name and request) and
// returns true. The record is cleared either way.
bool TakeError(Display* display, std::string& why);

}  // namespace sarvo::platform::x11
