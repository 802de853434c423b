// Desktop Entry files (the freedesktop.org format of .desktop files), as far
// as the suite writes and reads them: the log-on entry that starts one
// program, with no argument, at each log-on (XDG autostart), and the suite's
// entries in the application menu.
//
// Two layers of escaping meet in an Exec line. The program path is first
// quoted as one argument of the command line: inside double quotes, '"',
// '`', '$' and '\' take a backslash before them, and '%' is doubled (a lone
// '%' starts a field code). The result is then written as a string value of
// the file, which doubles every backslash again. So "/a $b/c" is written
//   Exec=env "/a \\$b/c"
// The path goes through `env` because GLib checks that the program of an
// Exec line exists before it undoes the "%%", so a path holding '%' would
// otherwise make the whole entry invalid.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/pure/menu_entries.h"

namespace sarvo {

// One argument quoted for an Exec line (before the string escape).
std::string QuoteExecArgument(std::string_view argument);

// A text escaped as a string value of the file: '\' doubled. Control
// characters are not escaped here; see DesktopEntryFor.
std::string EscapeDesktopString(std::string_view text);

// The whole autostart file for the entry `name` that starts `program` (an
// absolute path) with no argument. Nothing when the file cannot hold them
// faithfully: an empty or relative program path (a path starting with '-'
// would be read by `env` as an option), a control character such as a line
// break in either text, or text that is not UTF-8.
std::optional<std::string> DesktopEntryFor(std::string_view name, std::string_view program);

// The program an autostart file starts, read back: the [Desktop Entry]
// group's Exec line, string escapes undone, holding one program path (bare,
// quoted, or after `env`) and no other argument or field code. Nothing when
// the entry is hidden or disabled, is no application, or holds a command
// line this reading cannot turn back into one program path; such a file is
// taken as no entry at all.
std::optional<std::string> ProgramOfDesktopEntry(std::string_view fileText);

// The program of one Exec value (string escapes already undone), under the
// same rules as ProgramOfDesktopEntry.
std::optional<std::string> ProgramOfExecValue(std::string_view exec);

// The application-menu entry file for `entry`: its Exec and each action's
// quoted as the log-on entry's (an action's argument quoted too), TryExec
// naming the program, Icon the entry's id, and the key that marks the file
// as the suite's own (IsSuiteMenuEntry). Nothing when the file cannot hold
// the entry faithfully: any program path that DesktopEntryFor refuses, a
// text that is empty (the id, the name, an action's name) or holds a
// control character or is not UTF-8, an id or action id with other
// characters than letters, digits and '-'.
std::optional<std::string> MenuEntryFileFor(const MenuEntry& entry);

// Whether `fileText` carries the suite's mark in its [Desktop Entry] group:
// a menu entry of the suite's making, which the suite may replace or
// remove. Every other file is left as it is.
bool IsSuiteMenuEntry(std::string_view fileText);

// Whether `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace sarvo
