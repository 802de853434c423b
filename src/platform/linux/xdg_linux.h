// The XDG base folders of the user, and the suite's folders below them.
#pragma once

#include <string>

namespace sarvo::platform::linux_xdg {

// The folder a base-directory variable names: `value` when it is an
// absolute path, otherwise `home` + "/" + `fallback` (an unset, empty or
// relative value is invalid and ignored).
std::string ResolveBaseDir(const char* value, const std::string& home, const std::string& fallback);

// The user's home folder: $HOME, or the password database's entry.
std::string HomeDir();

// $XDG_DATA_HOME, $XDG_STATE_HOME and $XDG_CONFIG_HOME, resolved.
std::string DataHome();
std::string StateHome();
std::string ConfigHome();

// The suite's own folder name below those.
inline constexpr const char* kSuiteFolder = "sarvo-backdrop-changer";

// Creates `path` and its missing parents with mode 0700. Returns false when
// it does not exist as a folder afterwards.
bool MakeFolders(const std::string& path);

}  // namespace sarvo::platform::linux_xdg
