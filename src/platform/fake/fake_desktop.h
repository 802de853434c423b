// Test-only desktop: keys, program starts and the wallpaper, held in memory so
// that core tests can set what the user holds down and see what was started
// and applied. Not thread-safe; tests call Reset() first.
#pragma once

#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/program.h"

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
    // Input: when false, StartProgram fails.
    bool startSucceeds = true;

    // Output, in order of the calls.
    std::vector<platform::Key> keysProbed;
    std::vector<StartedProgram> started;
    std::vector<std::string> applied;  // paths given to ApplyWallpaper that succeeded
};

// The one fake desktop of the test process.
Desktop& TheDesktop();
void ResetDesktop();

}  // namespace sarvo::fake
