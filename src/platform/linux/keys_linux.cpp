// Keys held at start, read from the X server's keyboard state. The letter
// keys are found through the current layout (keysym to keycode), as Windows
// maps its virtual keys, so a held Shift plays no part. Without a reachable
// X display no key counts as held: Wayland gives a program without focus no
// way to read the keyboard.
#include "platform/keys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "deadline_linux.h"
#include "x11_linux.h"

namespace sarvo::platform {

namespace {

// One connection for the whole run, opened on first use; the programs probe
// up to three keys in a row.
Display* KeyboardDisplay() {
    static Display* const display = []() -> Display* {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') return nullptr;
        static const x11::Connection connection;
        if (connection.get() != nullptr) x11::InstallErrorHandler();
        return connection.get();
    }();
    return display;
}

KeySym SymbolOf(Key key) {
    switch (key) {
        case Key::Space: return XK_space;
        case Key::D: return XK_d;
        case Key::N: return XK_n;
    }
    return NoSymbol;
}

}  // namespace

bool IsKeyDown(Key key) {
    const linux_deadline::Step step("押されているキーの読み取り");
    Display* display = KeyboardDisplay();
    if (display == nullptr) return false;
    const KeyCode code = XKeysymToKeycode(display, SymbolOf(key));
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (static_cast<unsigned char>(keys[code >> 3]) >> (code & 7)) & 1;
}

}  // namespace sarvo::platform
