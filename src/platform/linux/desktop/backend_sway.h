// sway: its IPC socket (SWAYSOCK), with the "output * bg" command.
#pragma once

#include <string>
#include <string_view>

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kSwayBackend;

// `text` as one argument of a sway command: in double quotes, with "\", """,
// "$", "'" and the backtick escaped by a backslash (sway expands the
// argument like a shell word, and its argument splitter drops quotes).
std::string SwayQuoted(std::string_view text);

// Reads sway's reply to RUN_COMMAND, a JSON list with one object per
// command: true when every "success" is true; otherwise false, with `why`
// holding the first "error" text sway gave.
bool SwayReplySucceeded(std::string_view reply, std::string& why);

}  // namespace sarvo::platform
