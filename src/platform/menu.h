// The suite's programs in the desktop's application menu. On Linux each
// entry is a desktop entry file in $XDG_DATA_HOME/applications with its icon
// in the hicolor theme below $XDG_DATA_HOME/icons, both recognised as the
// suite's own by what the suite wrote into them. Windows users start the
// programs from their folder: there nothing is written, nothing removed.
#pragma once

#include <string>
#include <vector>

#include "core/pure/menu_entries.h"

namespace sarvo::platform {

enum class MenuResult {
    Unchanged,  // every entry and icon was in place already, or the platform keeps none
    Written,    // what was missing, or named other programs, was written
    Unfit,      // a program's path cannot be held by an entry: nothing was written
    Failed,     // `why` says what could not be written; everything else was
};

// Puts `entries` and their icons into the user's application menu where
// they are missing or differ, then has the desktop's menu cache refreshed.
// Each file is replaced whole, never seen half-written. A file of the same
// name that the suite did not write is left as it is (and is a failure).
MenuResult PutIntoMenu(const std::vector<MenuEntry>& entries, std::string& why);

// Removes the entries named by the ids of `entries`, and their icons, where
// the suite wrote them, then has the menu cache refreshed; every other file
// stays. The programs' paths play no part. Each that could not be removed
// adds a line to `left` naming it and why.
void RemoveFromMenu(const std::vector<MenuEntry>& entries, std::vector<std::string>& left);

}  // namespace sarvo::platform
