// The log-on list of the Windows registry ("...\CurrentVersion\Run") as XDG
// autostart: the value NAME is the file $XDG_CONFIG_HOME/autostart/NAME.desktop,
// which starts the program the value names at each log-on of a desktop that
// follows the autostart rules. Value names match file names without regard
// to ASCII case, as registry names do.
#pragma once

#include <string>

namespace sarvo::platform::linux_autostart {

// Whether `keyPath` is the log-on list's key (without regard to case).
bool IsRunKey(const std::string& keyPath);

// The program the entry `name` starts. False (and `program` empty) when
// there is no entry, or one that is hidden, disabled or that we cannot read
// back as one program path.
bool ReadEntry(const std::string& name, std::string& program);

// Writes the entry `name` for `program`, an absolute path, atomically,
// creating the autostart folder when missing. False, with `why`, when the
// path or the name cannot be written faithfully or the file cannot be
// written.
bool WriteEntry(const std::string& name, const std::string& program, std::string& why);

// Removes the entry `name`. An entry that is not there counts as removed.
// On failure `why` names the entry's file and the system's reason.
bool RemoveEntry(const std::string& name, std::string& why);

}  // namespace sarvo::platform::linux_autostart
