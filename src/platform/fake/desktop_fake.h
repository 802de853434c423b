// Test-only desktop: keys, program starts, the wallpaper, the file manager,
// the web browser, the screen and the application menu, held in memory so
// that core tests can set what the user holds down and see what was started,
// applied, opened and put into the menu.
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
    // Input: when false, WallpaperAvailable says no with `unavailable`.
    bool available = true;
    std::string unavailable = "no wallpaper backend for this session";
    // Input: when not empty, ApplyWallpaper succeeds but reports this, as
    // when the path could not be recorded.
    std::string applyNote;
    // Input: when not empty, WallpaperChange::Begin fails with this reason.
    std::string changeRefused;
    // Input: what StoredWallpaperIsTheDesktops answers (true: as on Windows).
    bool storeHoldsEveryWallpaper = true;
    // Input: when false, StartProgram fails.
    bool startSucceeds = true;
    // Input: when false, OpenFolderWindow and OpenWebAddress fail.
    bool openSucceeds = true;
    // Input: what PutIntoMenu answers, with `menuWhy` as its reason.
    platform::MenuResult menuResult = platform::MenuResult::Written;
    std::string menuWhy = "cannot write the menu entry";
    // Input: the lines RemoveFromMenu reports as left.
    std::vector<std::string> menuLeft;
    // Input: the primary screen; when `screenKnown` is false there is none.
    bool screenKnown = true;
    int screenWidth = 1024;
    int screenHeight = 768;
    // Input: the monitors DesktopMonitors lists; when empty, the primary
    // screen alone (none when it is not known).
    std::vector<platform::DesktopMonitor> monitors;

    // Output, in order of the calls.
    std::vector<platform::Key> keysProbed;
    std::vector<StartedProgram> started;
    std::vector<std::string> applied;  // paths given to ApplyWallpaper that succeeded
    std::vector<std::string> appliedSpanned;  // the same for ApplySpannedWallpaper (same inputs)
    int changesHeld = 0;               // WallpaperChange objects holding the change now
    std::vector<std::string> openedFolders;    // folders given to OpenFolderWindow that succeeded
    std::vector<std::string> openedAddresses;  // addresses given to OpenWebAddress that succeeded
    std::vector<MenuEntry> menu;               // what PutIntoMenu was given last, unless it answered Unfit
    std::vector<std::string> menuRemoved;      // the ids RemoveFromMenu was given, call after call
};

// The one fake desktop of the test process.
Desktop& TheDesktop();
void ResetDesktop();

}  // namespace sarvo::fake
