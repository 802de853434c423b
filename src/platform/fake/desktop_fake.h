// Test-only desktop: keys, program starts, the wallpaper, the screen and the
// application menu, held in memory so that core tests can set what the user
// holds down and see what was started, applied and put into the menu. The
// wallpaper is always available and every change held; the file manager and
// the web browser always open.
// BitmapCopies names one copy beside the bitmap, its path and "-copy.png".
// Not thread-safe; tests call ResetDesktop() first.
#pragma once

#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/process.h"
#include "platform/screen.h"

namespace sarvo::fake {

struct StartedProgram {
    std::string program;
    std::string arguments;
    platform::WindowStyle style;
};

struct Desktop {
    // Input: keys reported as held down.
    bool spaceDown = false;
    bool dDown = false;
    bool nDown = false;
    // Input: when false, ApplyWallpaper fails with `applyFailure` as reason.
    bool applySucceeds = true;
    std::string applyFailure = "the desktop refused the picture";
    // Input: when false, StartProgram fails.
    bool startSucceeds = true;
    // Input: the lines RemoveFromMenu reports as left.
    std::vector<std::string> menuLeft;
    // Input: the primary screen.
    int screenWidth = 1024;
    int screenHeight = 768;
    // Input: the monitors DesktopMonitors lists; when empty, the primary
    // screen alone.
    std::vector<platform::DesktopMonitor> monitors;

    // Output, in order of the calls.
    std::vector<platform::Key> keysProbed;
    std::vector<StartedProgram> started;
    std::vector<std::string> applied;  // paths given to ApplyWallpaper that succeeded
    std::vector<std::string> appliedSpanned;  // the same for ApplySpannedWallpaper (same inputs)
    std::vector<MenuEntry> menu;               // what PutIntoMenu was given last
    std::vector<std::string> menuRemoved;      // the ids RemoveFromMenu was given, call after call
};

// The one fake desktop of the test process.
Desktop& TheDesktop();
void ResetDesktop();

}  // namespace sarvo::fake
