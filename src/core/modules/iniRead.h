// Reading the settings file.
#pragma once

#include <string>

namespace sarvo {

// The value of `key` in `section` of the settings file `path`, or
// `defaultText` when the file, the section or the key is missing.
std::string IniReadString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText);

// The value read as a number (see platform::ProfileReadInt), clamped to the
// 16-bit range; `defaultValue` when missing.
short IniReadInt(const std::string& path, const std::string& section, const std::string& key,
                 long defaultValue);

}  // namespace sarvo
