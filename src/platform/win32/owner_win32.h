// The program's window, as the owner of every message box and dialog shown
// while it is open, so that they are modal over it, and whether any window
// can be shown at all.
#pragma once

#include <windows.h>

#include <string>

namespace sarvo::win32 {

// The window RunWindow shows, while it is open; null otherwise (the changer
// has none).
HWND OwnerWindow();
void SetOwnerWindow(HWND window);

// True when windows can be shown to a person: the process runs on an
// interactive window station and a window can be created. Otherwise false,
// and `why` says so.
bool CanShowWindows(std::string& why);

}  // namespace sarvo::win32
