// sway: its IPC socket (SWAYSOCK), with the "output * bg" command.
#pragma once

#include <string>
#include <string_view>

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kSwayBackend;

// `text` as one argument of a sway command: in double quotes, with every
// byte but letters, digits and "/ . - _" escaped by a backslash (sway drops
// the quotes, then expands the argument as a shell word). Empty when `text`
// holds a line break, which sway takes for the end of a command whatever
// comes before it.
std::string SwayQuoted(std::string_view text);

// Reads sway's reply to RUN_COMMAND, a JSON list with one object per
// command: true when every "success" is true; otherwise false, with `why`
// holding the first "error" text sway gave.
bool SwayReplySucceeded(std::string_view reply, std::string& why);

}  // namespace sarvo::platform
