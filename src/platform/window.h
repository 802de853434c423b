// The program's window: a FormSpec drawn by the platform.
#pragma once

#include <string>

#include "core/pure/form.h"

namespace sarvo::platform {

// Shows `form` as the program's one window and runs it until the user
// closes it. The window:
//   - creates each control of form.controls at its place (twips turned into
//     pixels at the system's DPI, see TwipsToPixels), with its caption, tool
//     tip, colour, alignment, font and picture, in the tab order given, with
//     the focus first on the first control of FocusOrder;
//   - draws each model's value, and draws it again whenever the model's
//     Redraw hook is called (code changed the value);
//   - forwards each user action to the model (SetText on every edit,
//     SetValue on a click of a check box, SetListIndex on a choice, the
//     OnClick and OnDblClick handlers), so that the handler runs as it
//     would for a change made by code;
//   - runs form.onUnload when the user closes it, then closes; and runs it
//     when the user's session ends (log-off, shutdown) with the window
//     open, before the system may end the process. It runs once, whichever
//     comes first;
//   - Tab and Shift+Tab move the focus through the focus order from every
//     control; Escape does not close it.
// Message boxes and dialogs shown while the window is open are modal over
// it. Returns true once the window has closed; false and `why` when no
// window can be shown at all (no display).
//
// A handler that throws ends the window without form.onUnload: the window
// goes, and RunWindow throws the same exception once it is gone. No
// exception ever passes through the window system's own code.
bool RunWindow(FormSpec& form, std::string& why);

}  // namespace sarvo::platform
