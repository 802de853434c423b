// What the suite asks of an X server, in one place: opening the display,
// its monitors, and protocol errors caught instead of fatal.
//
// Xlib hands every protocol error to one process-wide handler, and its
// default handler prints the error and exits the program. A wallpaper setter
// meets errors in normal use (the previous wallpaper's owner is already gone,
// the server is out of memory for a large pixmap), so the suite installs a
// handler that only records the error; callers sync and look.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "core/pure/compose.h"

namespace sarvo::platform::x11 {

// The display DISPLAY names, closed when the connection goes.
class Connection {
public:
    Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Null when the display could not be opened; `why` then says so.
    Display* get() const { return display_; }
    const std::string& why() const { return why_; }

private:
    Display* display_ = nullptr;
    std::string why_;
};

// The value of DISPLAY ("" when unset), for messages.
std::string DisplayName();

struct Monitor {
    ScreenRect rect;
    bool primary = false;
};

// The monitors of the default screen as RandR 1.5 reports them, in its
// order; the whole screen as one primary monitor when RandR is missing or
// reports none.
std::vector<Monitor> Monitors(Display* display);

// The primary monitor's size (the first monitor when none is marked
// primary). False when no X display can be opened.
bool PrimaryMonitorSize(int& width, int& height);

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
