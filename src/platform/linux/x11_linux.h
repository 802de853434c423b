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
#include <string_view>
#include <vector>

#include "core/pure/compose.h"

namespace sarvo::platform::x11 {

// How long an X server may take to answer the start of a connection. A
// server started on demand (Xwayland) answers its first client only once
// it runs, within a second or two.
inline constexpr int kAnswerMs = 5000;

// The display DISPLAY names, closed when the connection goes. Xlib waits
// for the server's answer without end, so the server is first asked, by
// kAnswerMs, whether it answers at all; a display that did not is not
// asked again in the same run.
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

// Where a display name leads: the Unix sockets to try in turn ("@" for an
// abstract one), or else a host and port.
struct DisplayAddress {
    std::vector<std::string> sockets;
    std::string host;
    int port = 0;
};

// The address of a display name "[protocol/][host]:number[.screen]", as
// the X library reaches it. False for a name of another form (the X
// library then has the last word).
bool ParseDisplayName(std::string_view name, DisplayAddress& address);

struct Monitor {
    ScreenRect rect;
    bool primary = false;
    std::string name;  // RandR's name for it ("HDMI-1"); empty for the whole screen
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
