// Path conventions of the platform.
#pragma once

#include <string>
#include <vector>

namespace sarvo::platform {

// The separator used in every path the suite forms: '\' on Windows, '/'
// elsewhere.
extern const char kPathSeparator;

// The suite's system folder for the generated bitmap ("the Windows folder"),
// without a trailing separator; created when missing where the platform
// allows. Empty when it cannot be found.
std::string WindowsFolder();

// A folder where the suite's bitmap may lie.
struct BitmapFolder {
    std::string path;  // without a trailing separator
    // Made for the suite alone, so it may go once nothing is left in it; the
    // Windows folder itself never does.
    bool suiteOwn = false;
};

// Every folder where the suite's bitmap may lie, whichever rule put it
// there (the rule has changed with the system's versions): the folder
// WindowsFolder() names first, then any other. Nothing is created; a folder
// that cannot be found is left out, so the list may be empty.
std::vector<BitmapFolder> BitmapFolders();

}  // namespace sarvo::platform
