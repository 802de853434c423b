// Keys held at start, read with GetKeyState. GetKeyState reports the key
// state of this thread's input queue, which Windows brings up to date when
// the thread first looks at its messages; so the queue is looked at (without
// taking anything from it) before the first probe.
#include <windows.h>

#include "platform/keys.h"

namespace sarvo::platform {

namespace {

int VirtualKey(Key key) {
    switch (key) {
        case Key::Space: return VK_SPACE;
        case Key::D: return 'D';
        case Key::N: return 'N';
    }
    return 0;
}

}  // namespace

bool IsKeyDown(Key key) {
    static const bool queueReady = [] {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        return true;
    }();
    (void)queueReady;
    const int code = VirtualKey(key);
    return code != 0 && GetKeyState(code) < 0;  // high bit: held down
}

}  // namespace sarvo::platform
